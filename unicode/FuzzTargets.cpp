#include "unicode/FuzzTargets.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "unicode/UnicodeText.h"

namespace qm::fuzz {

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

// Every level of the fast paths this processor runs, the plain loops first.
std::vector<runs::Level> Levels() {
    std::vector<runs::Level> levels{runs::Level::Plain};
    for (const runs::Level level : {runs::Level::Avx2, runs::Level::Avx512}) {
        if (runs::Runs(level)) levels.push_back(level);
    }
    return levels;
}

}  // namespace

void Utf8RoundTrip(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Cp932Text t = Utf8ToCp932(text, Cp932(), runs::Level::Plain);
    for (const runs::Level level : Levels()) {
        for (const Cp932Text& fast : {Utf8ToCp932(text, Cp932(), level),
                                      Utf8ToCp932InPlace(std::string(text), 0, Cp932(), level)}) {
            Check(fast.status == t.status && fast.bytes == t.bytes &&
                  fast.errorOffset == t.errorOffset);
        }
        if (t.status == Cp932Text::Status::Ok) {
            Check(Cp932ToUtf8(t.bytes, t.standIns, Cp932(), level) == text);
        } else {
            Check(t.errorOffset < size && t.bytes.empty());
        }
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
    const std::string utf8 = Cp932ToUtf8(bytes, none, Cp932(), runs::Level::Plain);
    for (const runs::Level level : Levels())
        Check(Cp932ToUtf8(bytes, none, Cp932(), level) == utf8);
    const Cp932Text back = Utf8ToCp932(utf8);
    Check(back.status == Cp932Text::Status::Ok);
    Check(Cp932ToUtf16(back.bytes, back.standIns) == Cp932ToUtf16(bytes, none));
}

}  // namespace qm::fuzz
