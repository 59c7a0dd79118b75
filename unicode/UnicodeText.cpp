#include "unicode/UnicodeText.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

using Status = Cp932Text::Status;

// Work is done a block at a time, so that the room made for the worst case is
// cleared while it is in the cache rather than for the whole text up front.
constexpr std::size_t kBlock = 1 << 16;
constexpr char32_t kReplacement = 0xFFFD;

bool AllAscii(const unsigned char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return (v & 0x8080808080808080u) == 0;
}

bool AllAscii(const char16_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return (v & 0xFF80FF80FF80FF80u) == 0;
}

// The length of the UTF-8 sequence at p, with its character in c; 0 when the
// bytes there are not UTF-8. p holds no ASCII byte.
std::size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, char32_t& c) {
    const unsigned b = p[0];
    const auto left = static_cast<std::size_t>(end - p);
    auto more = [&](std::size_t k) { return (p[k] & 0xC0) == 0x80; };
    if (b < 0xC2) return 0;  // a continuation byte or an overlong start
    if (b < 0xE0) {
        if (left < 2 || !more(1)) return 0;
        c = (b & 0x1F) << 6 | (p[1] & 0x3F);
        return 2;
    }
    if (b < 0xF0) {
        if (left < 3 || !more(1) || !more(2)) return 0;
        if ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] >= 0xA0)) return 0;
        c = (b & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
        return 3;
    }
    if (b < 0xF5) {
        if (left < 4 || !more(1) || !more(2) || !more(3)) return 0;
        if ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] >= 0x90)) return 0;
        c = (b & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

// Converts [p, end) into out a block at a time. ASCII runs are copied eight bytes'
// worth at a time; any other character goes through `one`, which writes it at w
// and returns the number of units it took, or 0 to stop. No input unit gives more
// than `grow` output units: room for that is reserved at once, and only the part
// written is ever touched. Returns where the walk stopped: end unless `one` did.
template <typename In, typename Out, typename One>
const In* Convert(const In* p, const In* const end, std::size_t grow, Out& out, One one) {
    using Unit = typename Out::value_type;
    constexpr std::ptrdiff_t kRun = 8 / sizeof(In);
    out.reserve(out.size() + grow * static_cast<std::size_t>(end - p) + 8);
    while (p < end) {
        const In* const blockEnd =
            p + std::min<std::size_t>(static_cast<std::size_t>(end - p), kBlock);
        const std::size_t used = out.size();
        out.resize(used + grow * static_cast<std::size_t>(blockEnd - p) + 4);
        Unit* w = out.data() + used;
        while (p < blockEnd) {
            while (blockEnd - p >= kRun && AllAscii(p)) {
                for (std::ptrdiff_t k = 0; k < kRun; ++k)
                    w[k] = static_cast<Unit>(p[k]);
                p += kRun;
                w += kRun;
            }
            if (p == blockEnd) break;
            if (*p < 0x80) {
                *w++ = static_cast<Unit>(*p++);
                continue;
            }
            const std::size_t n = one(p, w);
            if (n == 0) {
                out.resize(static_cast<std::size_t>(w - out.data()));
                return p;
            }
            p += n;
        }
        out.resize(static_cast<std::size_t>(w - out.data()));
    }
    return p;
}

// Writes characters as code page 932, foreign ones as stand-ins, and notes which
// codes of the user-defined area the text holds as characters of its own.
class Encoder {
  public:
    Encoder(const CodePage932& cp, Cp932Text& text, StandIns::AreaCodes& own)
        : cp_(cp), text_(text), own_(own) {}

    // False when no stand-in code is left for c.
    bool Put(char32_t c, char*& w) {
        std::uint16_t code = c < 0x10000 ? cp_.Code(static_cast<char16_t>(c)) : StandIns::kNoCode;
        if (code < 0x100) {
            *w++ = static_cast<char>(code);
            return true;
        }
        if (code == StandIns::kNoCode) {
            code = text_.standIns.CodeFor(c);
            if (code == StandIns::kNoCode) return false;
        } else if (StandIns::InArea(code)) {
            own_[StandIns::AreaIndex(code)] = true;
        }
        *w++ = static_cast<char>(code >> 8);
        *w++ = static_cast<char>(code & 0xFF);
        return true;
    }

  private:
    const CodePage932& cp_;
    Cp932Text& text_;
    StandIns::AreaCodes& own_;
};

// One pass from UTF-8 (bytes) or UTF-16 (code units) to code page 932.
template <typename In, typename Decode>
Cp932Text EncodePass(const In* begin, const In* end, std::size_t grow, Decode decode,
                     const CodePage932& cp, const StandIns::AreaCodes& taken,
                     StandIns::AreaCodes& own) {
    Cp932Text text;
    text.standIns = StandIns(taken);
    Encoder encoder(cp, text, own);
    const In* stop = Convert(begin, end, grow, text.bytes, [&](const In* p, char*& w) {
        char32_t c = 0;
        const std::size_t n = decode(p, end, c);
        if (n == 0) {
            text.status = Status::InvalidUtf8;
        } else if (!encoder.Put(c, w)) {
            text.status = Status::TooManyForeign;
        }
        return text.status == Status::Ok ? n : 0;
    });
    if (text.status != Status::Ok) {
        text.bytes.clear();
        text.errorOffset = static_cast<std::size_t>(stop - begin);
    }
    return text;
}

Cp932Text Utf8Pass(std::string_view in, const CodePage932& cp, const StandIns::AreaCodes& taken,
                   StandIns::AreaCodes& own) {
    const auto* const begin = reinterpret_cast<const unsigned char*>(in.data());
    // No character takes more bytes in code page 932 than in UTF-8.
    return EncodePass(begin, begin + in.size(), 1, DecodeUtf8, cp, taken, own);
}

// The character at p: a surrogate pair, or any other unit on its own.
std::size_t DecodeUtf16(const char16_t* p, const char16_t* end, char32_t& c) {
    c = p[0];
    if (c < 0xD800 || c >= 0xDC00 || end - p < 2 || p[1] < 0xDC00 || p[1] >= 0xE000) return 1;
    c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
    return 2;
}

Cp932Text Utf16Pass(std::u16string_view in, const CodePage932& cp, const StandIns::AreaCodes& taken,
                    StandIns::AreaCodes& own) {
    return EncodePass(in.data(), in.data() + in.size(), 2, DecodeUtf16, cp, taken, own);
}

// A text that holds user-defined characters of its own may have lent one of their
// codes to a foreign character before they came up: then once more, with the codes
// the text holds kept out of the stand-ins.
template <typename Pass, typename Text>
Cp932Text ToCp932(Pass pass, Text in, const CodePage932& cp) {
    StandIns::AreaCodes own;
    Cp932Text text = pass(in, cp, StandIns::AreaCodes(), own);
    if (text.status == Status::Ok && text.standIns.UsesAny(own)) text = pass(in, cp, own, own);
    return text;
}

char* PutUtf8(char32_t c, char* w) {
    if (c < 0x80) {
        *w++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *w++ = static_cast<char>(0xC0 | c >> 6);
        *w++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c < 0xE000) c = kReplacement;  // UTF-8 has no lone surrogates
        *w++ = static_cast<char>(0xE0 | c >> 12);
        *w++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *w++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *w++ = static_cast<char>(0xF0 | c >> 18);
        *w++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *w++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *w++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return w;
}

char16_t* PutUtf16(char32_t c, char16_t* w) {
    if (c < 0x10000) {
        *w++ = static_cast<char16_t>(c);
    } else {
        *w++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        *w++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    return w;
}

// The character at p (within a text that ends at end) and the number of bytes it takes.
inline char32_t DecodeCp932(const unsigned char* p, const unsigned char* end,
                            const StandIns& standIns, const CodePage932& cp, std::size_t& n) {
    const unsigned b = *p;
    if (!cp.IsLead(static_cast<std::uint8_t>(b))) {
        n = 1;
        const char16_t c = cp.Single(static_cast<std::uint8_t>(b));
        return c == CodePage932::kNoCharacter ? kReplacement : c;
    }
    if (end - p < 2) {
        n = 1;
        return kReplacement;
    }
    const unsigned t = p[1];
    const auto code = static_cast<std::uint16_t>(b << 8 | t);
    if (const char32_t s = standIns.CharacterOf(code)) {
        n = 2;
        return s;
    }
    const char16_t c = cp.Pair(code);
    if (c != CodePage932::kNoCharacter) {
        n = 2;
        return c;
    }
    // An ASCII byte after a lead byte is a character of its own.
    n = t >= 0x80 && t <= 0xFC ? 2 : 1;
    return kReplacement;
}

// Code page 932 to UTF-8 or UTF-16, appended to out. No input byte gives more than
// `grow` output units (a half-width katakana byte three UTF-8 bytes, a stand-in
// pair four).
template <typename Out, typename Put>
void AppendUnicode(std::string_view bytes, const StandIns& standIns, const CodePage932& cp,
                   std::size_t grow, Out& out, Put put) {
    const auto* const p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    Convert(p, end, grow, out, [&](const unsigned char* at, typename Out::value_type*& w) {
        std::size_t n = 1;
        w = put(DecodeCp932(at, end, standIns, cp, n), w);
        return n;
    });
}

}  // namespace

Cp932Text Utf8ToCp932(std::string_view utf8, const CodePage932& cp) {
    return ToCp932(Utf8Pass, utf8, cp);
}

Cp932Text Utf16ToCp932(std::u16string_view text, const CodePage932& cp) {
    return ToCp932(Utf16Pass, text, cp);
}

std::string Cp932ToUtf8(std::string_view bytes, const StandIns& standIns, const CodePage932& cp) {
    std::string out;
    AppendUnicode(bytes, standIns, cp, 3, out, PutUtf8);
    return out;
}

std::u16string Cp932ToUtf16(std::string_view bytes, const StandIns& standIns,
                            const CodePage932& cp) {
    std::u16string out;
    AppendUnicode(bytes, standIns, cp, 1, out, PutUtf16);
    return out;
}

Utf16Filtered FilterUtf16(std::u16string_view text, const ByteFilter& filter) {
    Cp932Text in = Utf16ToCp932(text);
    if (in.status != Status::Ok) return {Utf16Filtered::Outcome::TooManyForeign, {}};
    std::string filtered = filter(in.bytes);
    std::string().swap(in.bytes);
    std::u16string out = Cp932ToUtf16(filtered, in.standIns);
    if (out == text) return {Utf16Filtered::Outcome::Unchanged, {}};
    return {Utf16Filtered::Outcome::Changed, std::move(out)};
}

Utf8Filtered FilterUtf8(std::string_view text, const ByteFilter& filter) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    const std::size_t bom = text.starts_with(kBom) ? kBom.size() : 0;
    Cp932Text in = Utf8ToCp932(text.substr(bom));
    if (in.status != Status::Ok) return {in.status, {}, bom + in.errorOffset};
    std::string filtered = filter(in.bytes);
    std::string().swap(in.bytes);
    Utf8Filtered out{Status::Ok, std::string(text.substr(0, bom)), 0};
    AppendUnicode(filtered, in.standIns, Cp932(), 3, out.text, PutUtf8);
    return out;
}

}  // namespace qm
