// The filter file: read from a file and prepared as rules, the same result as every
// rule one plain replacement over the whole text, at every vector level; a file with
// a NUL is refused.
//
// Input: the filter file, and after a form feed the text; without a form feed the
// file is its own text, so that every rule finds its search text.
#include "engine/UserFilter.h"
#include "engine/Vector.h"
#include "engine/tests/PlainForms.h"
#include "engine/tests/UserFilterReference.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    using namespace qm::fuzz;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t feed = input.find('\f');
    const std::string_view rules = input.substr(0, feed);
    const std::string_view text = feed == std::string_view::npos ? input : input.substr(feed + 1);
    const std::string path = ScratchFile("rules.txt", rules);
    const bool hasNul = rules.find('\0') != std::string_view::npos;
    try {
        const std::optional<std::string> read = ReadFilterFile(path);
        Expect(!hasNul && read && *read == rules, "the file is read as it is", read.value_or(""),
               rules);
    } catch (const EFilterFileRefused& e) {
        Expect(hasNul && e.GetReason() == EFilterFileRefused::Reason::NulByte,
               "only a file with a NUL is refused", e.what());
    }
    const std::string want = testing::ApplyFilterRulesReference(std::string(text), rules);
    for (const VectorLevel level : {VectorLevel::Sse2, VectorLevel::Avx2}) {
        if (!VectorLevelAvailable(level)) continue;
        const ForceVectorLevel forced(level);
        const std::string got = ApplyFilterRules(text, rules);
        Expect(got == want, "the rules as plain replacements", got, want);
    }
    return 0;
}
