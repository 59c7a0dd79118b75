// The text view's line store taking whole texts, comma texts and streams: the lines
// the loading rule gives, what it gives back reads the same again, and never more
// lines than slots.
//
// Input: the bytes every operation is given; the first byte is also the position
// the stream is read from.
#include "controls/BvStrings.h"
#include "engine/tests/LineListReference.h"
#include "fuzz/FuzzInput.h"

namespace qm::fuzz {
namespace {

std::vector<std::string> LinesOf(const TBvStrings& store) {
    Expect(store.Count() <= store.Capacity(), "no more lines than slots");
    std::vector<std::string> lines;
    for (std::int32_t i = 0; i < store.Count(); ++i)
        lines.push_back(store.Get(i));
    return lines;
}

void ExpectLines(const TBvStrings& store, const std::vector<std::string>& want, const char* what) {
    const std::vector<std::string> got = LinesOf(store);
    Expect(got == want, what, testing::JoinReference(got), testing::JoinReference(want));
}

}  // namespace
}  // namespace qm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    using namespace qm::fuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TBvStrings store;
    store.SetText(bytes);
    ExpectLines(store, testing::SplitReference(bytes), "SetText splits by the rule");
    Expect(store.Capacity() == store.Count(), "SetText trims its slots");
    const std::string text = store.GetText();
    Expect(text == testing::JoinReference(LinesOf(store)), "GetText", text);

    store.SetCommaText(bytes);
    std::vector<std::string> lines = LinesOf(store);
    for (const std::string& line : lines) {
        Expect(line.find_first_of(std::string_view("\r\"\0", 3)) == std::string::npos,
               "a comma item ends at CR, NUL and quotes", line);
    }
    // An empty last line leaves only the comma before it, which ends no item.
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    store.SetCommaText(store.GetCommaText());
    ExpectLines(store, lines, "the comma text reads back");

    const std::size_t position = bytes.empty() ? 0 : static_cast<std::uint8_t>(bytes[0]);
    TMemoryStream stream{std::string(bytes)};
    stream.SetPosition(static_cast<std::int64_t>(position));
    store.LoadFromStream(stream);
    ExpectLines(store, testing::SplitReference(bytes.substr(std::min(position, bytes.size()))),
                "the stream from its position");
    return 0;
}
