// The code-page services the engine needs from the platform: which bytes open a
// two-byte character, the kana mapping, letter case and one locale comparison.
//
// Each mapping is a CharMap (CharMap.h). The Windows build fills the maps from the
// platform (IsDBCSLeadByte, LCMapStringA, CharLowerBuffA, CharUpperBuffA); the native
// build fills them from built-in code page 932 rules. The Windows build has both, so
// that a test can hold one against the other.
#pragma once

#include <string_view>

#include "engine/CharMap.h"

namespace qm {

// LCMapStringA flags in use.
inline constexpr unsigned kLcmapHiragana = 0x00100000;
inline constexpr unsigned kLcmapKatakana = 0x00200000;

class TextServices {
  public:
    virtual ~TextServices() = default;
    virtual const LeadByteTable& LeadBytes() const = 0;
    // LCMapStringA with kLcmapKatakana or kLcmapHiragana; nullptr for other flags.
    virtual const CharMap* KanaMap(unsigned flags) const = 0;
    virtual const CharMap& LowerMap() const = 0;  // CharLowerBuffA
    virtual const CharMap& UpperMap() const = 0;  // CharUpperBuffA
    // CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, b) == CSTR_EQUAL
    virtual bool EqualIgnoreCase(std::string_view a, std::string_view b) const = 0;
};

// The services of this build: the platform's on Windows, the built-in ones elsewhere.
const TextServices& Text();

// The built-in code page 932 services, in every build.
const TextServices& BuiltinText();

#ifdef _WIN32
// The platform's services; each table is built on first use.
const TextServices& PlatformText();
#endif

}  // namespace qm
