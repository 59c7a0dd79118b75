#include "cli/TextEncoding.h"

#include <algorithm>
#include <cctype>

#include "base/Exception.h"
#include "engine/Pipeline.h"
#include "unicode/UnicodeText.h"

namespace qm {

std::optional<TextEncoding> ParseTextEncoding(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "cp932" || lower == "shift_jis" || lower == "sjis") return TextEncoding::Cp932;
    if (lower == "utf-8" || lower == "utf8") return TextEncoding::Utf8;
    return std::nullopt;
}

std::string TextEncodingHelp() {
    return "--encoding cp932|utf-8 (cp932 when not given):\n"
           "  cp932  standard input and output are Shift-JIS, the bytes the filter works on.\n"
           "  utf-8  they are UTF-8. Characters that code page 932 cannot hold (emoji,\n"
           "         Hangul, accented letters, ...) pass through every option unchanged;\n"
           "         a text may hold " +
           std::to_string(StandIns::kCodeCount) +
           " distinct ones. A byte-order mark stays at the start.\n"
           "         Input that is not UTF-8, or holds more such characters, fails with\n"
           "         exit status 1, a message naming the byte offset, and no output.\n"
           "  Input holding a NUL byte fails the same way in either encoding: the filter\n"
           "  would end the text there, and what follows would be lost.\n"
           "  The filter file (FilterFile) is read as Shift-JIS either way.\n"
           "  example: git log | quillmoth-filter --encoding utf-8 NumberMode=1 | less\n";
}

namespace {

std::string At(std::size_t offset) {
    return " (byte offset " + std::to_string(offset) + ")";
}

// The filter's text ends at its first NUL: rather than drop what follows without a
// word, the input is refused, in either encoding.
[[noreturn]] void ThrowHoldsNul(std::size_t offset) {
    throw Exception(
        "quillmoth-filter: standard input holds a NUL byte, where the filter would "
        "end the text" +
        At(offset));
}

// A UTF-8 text the filter could not take fails as a failing step does.
void ThrowIfNotTaken(const Utf8Filtered& filtered) {
    switch (filtered.status) {
        case Utf8Filtered::Status::Ok:
            break;
        case Utf8Filtered::Status::InvalidUtf8:
            throw Exception("quillmoth-filter: standard input is not UTF-8" +
                            At(filtered.errorOffset));
        case Utf8Filtered::Status::TooManyForeign:
            throw Exception("quillmoth-filter: standard input holds more than " +
                            std::to_string(StandIns::kCodeCount) +
                            " distinct characters that code page 932 cannot hold" +
                            At(filtered.errorOffset));
        case Utf8Filtered::Status::HoldsNul:
            ThrowHoldsNul(filtered.errorOffset);
    }
}

EndingByteFilter WithOptions(const FilterOptions& options) {
    return [&options](std::string_view bytes, std::size_t& end) {
        return FilterTextWithEnd(bytes, options, end);
    };
}

}  // namespace

void FilterInEncoding(std::string_view text, const FilterOptions& options, TextEncoding encoding,
                      const std::function<void(std::string_view)>& write) {
    if (encoding == TextEncoding::Cp932) {
        std::size_t end = 0;
        const std::string filtered = FilterTextWithEnd(text, options, end);
        if (end < text.size()) ThrowHoldsNul(end);
        write(filtered);
        return;
    }
    // The UTF-8 result is written as it is made: an 80 MB text needs no second copy.
    ThrowIfNotTaken(FilterUtf8(text, WithOptions(options), write));
}

void FilterInEncoding(std::string&& text, const FilterOptions& options, TextEncoding encoding,
                      const std::function<void(std::string_view)>& write) {
    if (encoding == TextEncoding::Cp932) {
        FilterInEncoding(std::string_view(text), options, encoding, write);
        return;
    }
    ThrowIfNotTaken(FilterUtf8(std::move(text), WithOptions(options), write));
}

std::string MessageInEncoding(std::string_view message, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? Cp932ToUtf8(message, StandIns()) : std::string(message);
}

}  // namespace qm
