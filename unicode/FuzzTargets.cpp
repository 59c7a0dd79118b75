#include "unicode/FuzzTargets.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "unicode/UnicodeText.h"

namespace qm::fuzz {

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

void Utf8RoundTrip(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Cp932Text t = Utf8ToCp932(text);
    if (t.status == Cp932Text::Status::Ok) {
        Check(Cp932ToUtf8(t.bytes, t.standIns) == text);
    } else {
        Check(t.errorOffset < size && t.bytes.empty());
    }
}

void Utf16RoundTrip(const std::uint8_t* data, std::size_t size) {
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    const Cp932Text t = Utf16ToCp932(units);
    if (t.status == Cp932Text::Status::Ok) Check(Cp932ToUtf16(t.bytes, t.standIns) == units);
}

void Cp932ToUnicode(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const StandIns none;
    const std::string utf8 = Cp932ToUtf8(bytes, none);
    const Cp932Text back = Utf8ToCp932(utf8);
    Check(back.status == Cp932Text::Status::Ok);
    Check(Cp932ToUtf16(back.bytes, back.standIns) == Cp932ToUtf16(bytes, none));
}

}  // namespace qm::fuzz
