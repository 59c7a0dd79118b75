// Each fast step of the engine against its plain reference from the tests: the same
// output for every input.
//
// Input: the step and the vector level (a byte: the high bit forces SSE2, the rest
// picks the step), its argument (a byte: mode, pattern length, selector), then the
// text.
#include <algorithm>
#include <functional>

#include "engine/Address.h"
#include "engine/LineList.h"
#include "engine/LineSteps.h"
#include "engine/Sjis.h"
#include "engine/Vector.h"
#include "engine/tests/AddressReference.h"
#include "engine/tests/CharMapReference.h"
#include "engine/tests/LineListReference.h"
#include "engine/tests/LineStepsReference.h"
#include "engine/tests/PlainForms.h"
#include "engine/tests/SjisReference.h"
#include "engine/tests/WidthKanaReference.h"
#include "fuzz/FuzzInput.h"

namespace qm::fuzz {
namespace {

using namespace qm::testing;
using Run = std::function<std::string(std::uint8_t arg, std::string_view text)>;

struct Case {
    Case(std::string n, Run f, Run p, Run a = {})
        : name(std::move(n)), fast(std::move(f)), plain(std::move(p)), alternative(std::move(a)) {}
    std::string name;
    Run fast, plain;
    Run alternative;  // a second answer the platform may give, if any
};

// A list step through the working list, and its reference over the plain split.
Run OnList(void (*step)(LineList&)) {
    return [step](std::uint8_t, std::string_view t) {
        LineList list(t);
        step(list);
        return list.Text();
    };
}
Run OnLines(Lines (*reference)(Lines)) {
    return [reference](std::uint8_t, std::string_view t) {
        return JoinReference(reference(SplitReference(t)));
    };
}

// A replacement that the plain search makes.
Run Replacing(std::string old, std::string by) {
    return [old, by](std::uint8_t, std::string_view t) {
        return ReplaceAllReference(std::string(t), old, by, false);
    };
}
Run Fast(std::string (*step)(std::string_view)) {
    return [step](std::uint8_t, std::string_view t) { return step(t); };
}

// ReplaceAll's arguments: the pattern from the front of the text, a replacement and
// the letter case from the argument.
struct Replacement {
    explicit Replacement(std::uint8_t arg, std::string_view t) {
        static const char* const kBy[] = {"", "x", "\x82\xA0", "<<>>"};  // hiragana a
        const std::size_t n = std::min<std::size_t>(arg % 6, t.size());
        old = std::string(t.substr(0, n));
        text = std::string(t.substr(n));
        by = kBy[arg >> 3 & 3];
        ignoreCase = arg & 0x80;
    }
    std::string old, text, by;
    bool ignoreCase;
};

std::vector<Case> Cases() {
    std::vector<Case> cases = {
        {"FindText",
         [](std::uint8_t arg, std::string_view t) {
             const std::size_t n = std::min<std::size_t>(arg % 6, t.size());
             return std::to_string(FindText(t.substr(0, n), t.substr(n)));
         },
         [](std::uint8_t arg, std::string_view t) {
             const std::size_t n = std::min<std::size_t>(arg % 6, t.size());
             return std::to_string(FindTextReference(t.substr(0, n), t.substr(n)));
         }},
        {"ReplaceAll",
         [](std::uint8_t arg, std::string_view t) {
             const Replacement r(arg, t);
             return ReplaceAll(r.text, r.old, r.by, r.ignoreCase);
         },
         [](std::uint8_t arg, std::string_view t) {
             const Replacement r(arg, t);
             return ReplaceAllReference(r.text, r.old, r.by, r.ignoreCase);
         }},
        {"KanaToHalfWidth",
         [](std::uint8_t arg, std::string_view t) { return KanaToHalfWidth(t, arg & 1); },
         [](std::uint8_t arg, std::string_view t) { return KanaToHalfWidthReference(t, arg & 1); }},
        {"LeadByteWalker",
         [](std::uint8_t arg, std::string_view t) {
             std::string answers;
             LeadByteWalker walker(t);
             for (std::ptrdiff_t n = 0; n <= static_cast<std::ptrdiff_t>(t.size()) + 1;
                  n += 1 + arg)
                 answers += walker.At(n) ? '1' : '0';
             return answers;
         },
         [](std::uint8_t arg, std::string_view t) {
             std::string answers;
             for (std::ptrdiff_t n = 0; n <= static_cast<std::ptrdiff_t>(t.size()) + 1;
                  n += 1 + arg)
                 answers += LeadByteAt(t, n) ? '1' : '0';
             return answers;
         }},
        {"LineList", [](std::uint8_t, std::string_view t) { return LineList(t).Text(); },
         [](std::uint8_t, std::string_view t) { return JoinReference(SplitReference(t)); }},
        {"CharMap of entries of every length",
         [](std::uint8_t arg, std::string_view t) {
             std::string out;
             const LeadByteTable& lead = Text().LeadBytes();
             const CharMap& map = MixedLengthMap();
             const bool mapped =
                 arg & 1 ? map.Apply(t, lead, out) : map.ApplySameLength(t, lead, out);
             return mapped ? out : std::string(t);
         },
         [](std::uint8_t arg, std::string_view t) {
             return CharWalkReference(MixedLengthMap(), Text().LeadBytes(), t, arg & 1);
         }},
        {"DeleteEmptyLines", OnList([](LineList& l) { l.DeleteEmptyLines(); }),
         OnLines([](Lines lines) {
             std::erase(lines, std::string());
             return lines;
         })},
        {"NormalizeLineBreaks", Fast(NormalizeLineBreaks), Fast(NormalizeLineBreaksReference)},
        {"RemoveTags", Fast(RemoveTags), Fast(RemoveTagsReference)},
        {"EscapeAmpersands", Fast(EscapeAmpersands), Replacing("&", "&amp;")},
        {"EscapeQuotes", Fast(EscapeQuotes), Replacing("\"", "&quot;")},
        {"RemoveCommas", Fast(RemoveCommas), Replacing(",", "")},
        {"EscapeAngleBrackets", Fast(EscapeAngleBrackets),
         [](std::uint8_t, std::string_view t) {
             return ReplaceAllReference(ReplaceAllReference(std::string(t), "<", "&lt;", false),
                                        ">", "&gt;", false);
         }},
        {"SpellRomanNumerals", Fast(SpellRomanNumerals),
         [](std::uint8_t, std::string_view t) {
             return SpellRomanNumeralsReference(std::string(t));
         }},
        {"AddListItemPrefix", OnList(AddListItemPrefix), OnLines(AddListItemPrefixReference)},
        {"RunsToTab",
         [](std::uint8_t arg, std::string_view t) {
             LineList list(t);
             RunsToTab(list, arg % 3 + 1);
             return list.Text();
         },
         [](std::uint8_t arg, std::string_view t) {
             return JoinReference(RunsToTabReference(SplitReference(t), arg % 3 + 1));
         }},
        {"TrimLineEnds", OnList(TrimLineEnds), OnLines([](Lines lines) {
             for (std::string& line : lines)
                 line = std::string(TrimLineEnd(line));
             return lines;
         })},
        {"JoinLines", OnList(JoinLines), OnLines(JoinLinesReference)},
        {"ChangeCase",
         [](std::uint8_t arg, std::string_view t) { return ChangeCase(t, arg % 2 + 1); },
         [](std::uint8_t arg, std::string_view t) {
             return ChangeCaseReference(std::string(t), arg % 2 + 1);
         }},
        {"CompleteSchemes", Fast(CompleteSchemes),
         [](std::uint8_t, std::string_view t) { return CompleteSchemesReference(std::string(t)); }},
        {"RemoveRedirector",
         [](std::uint8_t arg, std::string_view t) {
             return RemoveRedirector(kRedirectorPatterns[arg % 3], t);
         },
         [](std::uint8_t arg, std::string_view t) {
             return RemoveRedirectorReference(std::string(kRedirectorPatterns[arg % 3]),
                                              std::string(t));
         }},
    };
    for (const WidthKanaStep& step : WidthKanaSteps()) {
        const auto take = [](const Convert& c) -> Run {
            if (!c) return {};
            return [c](std::uint8_t, std::string_view t) { return c(t); };
        };
        cases.push_back({step.name, take(step.run), take(step.reference), take(step.alternative)});
    }
    return cases;
}

}  // namespace
}  // namespace qm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm::fuzz;
    static const std::vector<Case> cases = Cases();
    FuzzInput in(data, size);
    const std::uint8_t pick = in.Byte();
    const bool avx2 = !(pick & 0x80) && qm::VectorLevelAvailable(qm::VectorLevel::Avx2);
    const qm::ForceVectorLevel level(avx2 ? qm::VectorLevel::Avx2 : qm::VectorLevel::Sse2);
    const Case& c = cases[(pick & 0x7F) % cases.size()];
    const std::uint8_t arg = in.Byte();
    const std::string_view text = in.Rest();
    const std::string fast = c.fast(arg, text), plain = c.plain(arg, text);
    if (fast != plain && c.alternative && fast == c.alternative(arg, text)) return 0;
    Expect(fast == plain, c.name.c_str(), fast, plain);
    return 0;
}
