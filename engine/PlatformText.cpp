// The platform's code page services, gathered once into tables. Each character is
// handed to the platform on its own, and only characters the code page defines:
// the platform turns undefined bytes into its default character, and a filter must
// never replace bytes it does not understand. The platform's mappings also pass
// through Unicode, which rewrites characters that have two codes (the NEC and IBM
// extensions) into their preferred code; such a rewrite is the same character and
// is not taken for a change.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "engine/TextServices.h"

namespace qm {

namespace {

bool IsDefined(const char* s, int n) {
    wchar_t w[2];
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, s, n, w, 2) > 0;
}

bool SameCharacter(const char* a, int na, const char* b, int nb) {
    wchar_t wa[4], wb[4];
    const int la = MultiByteToWideChar(CP_ACP, 0, a, na, wa, 4);
    const int lb = MultiByteToWideChar(CP_ACP, 0, b, nb, wb, 4);
    return la > 0 && la == lb && std::equal(wa, wa + la, wb);
}

// Calls map(bytes, length, out) for every defined character and records what changed.
template <typename Map>
void FillFromPlatform(CharMap& table, const LeadByteTable& lead, Map map) {
    char out[8];
    for (unsigned b = 0; b < 256; ++b) {
        if (lead[b]) continue;
        const char s[1] = {static_cast<char>(b)};
        if (!IsDefined(s, 1)) continue;
        const int n = map(s, 1, out);
        if (n > 0 && !SameCharacter(s, 1, out, n))
            table.SetSingle(static_cast<std::uint8_t>(b), {out, static_cast<std::size_t>(n)});
    }
    for (unsigned l = 0; l < 256; ++l) {
        if (!lead[l]) continue;
        for (unsigned t = 0x40; t <= 0xFC; ++t) {
            const char s[2] = {static_cast<char>(l), static_cast<char>(t)};
            if (!IsDefined(s, 2)) continue;
            const int n = map(s, 2, out);
            if (n > 0 && !SameCharacter(s, 2, out, n)) {
                table.SetPair(static_cast<std::uint16_t>(l << 8 | t),
                              {out, static_cast<std::size_t>(n)});
            }
        }
    }
}

auto LcMap(unsigned flags) {
    return [flags](const char* s, int n, char* out) {
        return LCMapStringA(LOCALE_SYSTEM_DEFAULT, flags, s, n, out, 8);
    };
}

class PlatformServices final : public TextServices {
  public:
    const LeadByteTable& LeadBytes() const override { return CodePageLeadBytes(); }

    const CharMap* KanaMap(unsigned flags) const override {
        if (flags == kLcmapKatakana) return &Lazy(katakanaOnce_, katakana_, LcMap(kLcmapKatakana));
        if (flags == kLcmapHiragana) return &Lazy(hiraganaOnce_, hiragana_, LcMap(kLcmapHiragana));
        return nullptr;
    }

    const CharMap& LowerMap() const override {
        return Lazy(lowerOnce_, lower_, [](const char* s, int n, char* out) {
            CopyMemory(out, s, n);
            return static_cast<int>(CharLowerBuffA(out, n)) == n ? n : 0;
        });
    }

    const CharMap& UpperMap() const override {
        return Lazy(upperOnce_, upper_, [](const char* s, int n, char* out) {
            CopyMemory(out, s, n);
            return static_cast<int>(CharUpperBuffA(out, n)) == n ? n : 0;
        });
    }

    bool EqualIgnoreCase(std::string_view a, std::string_view b) const override {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                              static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size())) == CSTR_EQUAL;
    }

  private:
    template <typename Map>
    const CharMap& Lazy(std::once_flag& once, CharMap& table, Map map) const {
        std::call_once(once, [&] { FillFromPlatform(table, LeadBytes(), map); });
        return table;
    }

    mutable std::once_flag katakanaOnce_, hiraganaOnce_, lowerOnce_, upperOnce_;
    mutable CharMap katakana_, hiragana_, lower_, upper_;
};

}  // namespace

const TextServices& PlatformText() {
    static const PlatformServices services;
    return services;
}

const TextServices& Text() {
    return PlatformText();
}

}  // namespace qm
