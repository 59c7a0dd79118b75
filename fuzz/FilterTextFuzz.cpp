// FilterText with every option and a filter file taken from the input: the same
// result whole, in small pieces and step by step through the plain forms, every
// line break CR LF, and never a crash.
//
// Input: the options (7 bytes of bits), a piece size, with the user filter on the
// length of the filter file (a byte) and the file, then the text. The file is kept
// short: every rule is a pass over the whole text.
#include <algorithm>

#include "engine/Pipeline.h"
#include "engine/UserFilter.h"
#include "engine/tests/FilterReference.h"
#include "fuzz/FuzzInput.h"

namespace qm::fuzz {
namespace {

// Every CR followed by LF and every LF behind a CR; no NUL.
bool OnlyCrLfBreaks(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0') return false;
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    }
    return true;
}

}  // namespace
}  // namespace qm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    using namespace qm::fuzz;
    FuzzInput in(data, size);
    FilterOptions o = DecodeOptions(in);
    const std::size_t pieceSize = 1 + in.Byte();
    bool refused = false;
    if (o.UseCustomFilter) {
        const std::string_view rules = in.Take(in.Byte());
        o.FilterFile = ScratchFile("rules.txt", rules);
        refused = rules.find('\0') != std::string_view::npos;
    }
    const std::string_view text = in.Rest();
    std::string whole;
    try {
        whole = FilterText(text, o);
    } catch (const EFilterFileRefused& e) {
        Expect(refused && e.GetReason() == EFilterFileRefused::Reason::NulByte,
               "only a filter file with a NUL is refused", e.what());
        return 0;
    }
    Expect(!refused, "a filter file with a NUL is refused");
    Expect(OnlyCrLfBreaks(whole), "every line break is CR LF", whole);
    // At most some twenty pieces: each piece sets the steps up anew.
    const std::string pieces = FilterText(text, o, std::max(pieceSize, text.size() / 16));
    Expect(whole == pieces, "the same in pieces", whole, pieces);
    const std::string plain = testing::FilterReference(text, o);
    Expect(whole == plain, "the same through the plain forms", whole, plain);
    return 0;
}
