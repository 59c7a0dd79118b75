// The width and kana steps as plain references built from the conversion tables as
// written down, each beside the step it holds to.
#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Sjis.h"
#include "engine/WidthKana.h"
#include "engine/tests/PlainForms.h"

namespace qm::testing {

inline bool IsLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The length of the character at i: a lead byte takes the byte after it, if any.
inline std::size_t CharLength(std::string_view text, std::size_t i) {
    return IsLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// A character (one byte, or a two-byte code) and what it becomes.
using Rule = std::map<std::string, std::string, std::less<>>;

// Pairs the characters of two texts of the same number of characters.
inline Rule Zip(std::string_view from, std::string_view to) {
    Rule rule;
    std::size_t i = 0, j = 0;
    while (i < from.size()) {
        const std::size_t a = CharLength(from, i), b = CharLength(to, j);
        rule[std::string(from.substr(i, a))] = std::string(to.substr(j, b));
        i += a;
        j += b;
    }
    if (j != to.size()) throw std::logic_error("tables of different lengths");
    return rule;
}

inline Rule Merge(Rule a, const Rule& b) {
    for (const auto& [from, to] : b)
        a[from] = to;
    return a;
}

inline std::string ByteLoop(std::string_view text, const Rule& rule) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::string_view c = text.substr(i, CharLength(text, i));
        const auto hit = rule.find(c);
        out += hit == rule.end() ? c : std::string_view(hit->second);
        i += c.size();
    }
    return out;
}

// The search stops at the first NUL, and the platform's kana mapping ends the text
// there; the pipeline has cut its text at the first NUL before any step runs.
inline std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

inline std::string Replace(std::string_view text, std::string_view old,
                           std::string_view replacement) {
    std::string out;
    const std::size_t end = UpToNul(text).size();
    for (std::size_t i = 0; i < text.size();) {
        if (i >= end) {
            out += text.substr(i);
            break;
        }
        if (text.substr(i, old.size()) == old) {
            out += replacement;
            i += old.size();
        } else {
            const std::size_t n = CharLength(text, i);
            out += text.substr(i, n);
            i += n;
        }
    }
    return out;
}

inline const char kFullDigits[] =
    "\x82\x4F\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56\x82\x57"
    "\x82\x58";  // 0..9
inline const char kFullLetters[] =
    "\x82\x60\x82\x61\x82\x62\x82\x63\x82\x64\x82\x65\x82\x66\x82\x67\x82\x68\x82\x69\x82\x6A"
    "\x82\x6B\x82\x6C\x82\x6D\x82\x6E\x82\x6F\x82\x70\x82\x71\x82\x72\x82\x73\x82\x74\x82\x75"
    "\x82\x76\x82\x77\x82\x78\x82\x79"  // A..Z
    "\x82\x81\x82\x82\x82\x83\x82\x84\x82\x85\x82\x86\x82\x87\x82\x88\x82\x89\x82\x8A\x82\x8B"
    "\x82\x8C\x82\x8D\x82\x8E\x82\x8F\x82\x90\x82\x91\x82\x92\x82\x93\x82\x94\x82\x95\x82\x96"
    "\x82\x97\x82\x98\x82\x99\x82\x9A";  // a..z
inline const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

inline const Rule kNarrowSymbols = {
    {"\x81\x43", ","},  {"\x81\x44", "."},  {"\x81\x46", ":"},  {"\x81\x47", ";"},
    {"\x81\x48", "?"},  {"\x81\x49", "!"},  {"\x81\x4F", "^"},  {"\x81\x5E", "/"},
    {"\x81\x62", "|"},  {"\x81\x65", "'"},  {"\x81\x66", "'"},  {"\x81\x8C", "'"},
    {"\x81\x67", "\""}, {"\x81\x68", "\""}, {"\x81\x8D", "\""}, {"\x81\x69", "("},
    {"\x81\x6A", ")"},  {"\x81\x6D", "["},  {"\x81\x6E", "]"},  {"\x81\x6F", "{"},
    {"\x81\x70", "}"},  {"\x81\x7B", "+"},  {"\x81\x7C", "-"},  {"\x81\x81", "="},
    {"\x81\xAC", "="},  {"\x81\x83", "<"},  {"\x81\x84", ">"},  {"\x81\x8F", "\\"},
    {"\x81\x90", "$"},  {"\x81\x93", "%"},  {"\x81\x94", "#"},  {"\x81\x95", "&"},
    {"\x81\x96", "*"},  {"\x81\x97", "@"},
};

inline const Rule kWideSymbols = {
    {"!", "\x81\x49"}, {"\"", "\x81\x8D"}, {"#", "\x81\x94"}, {"$", "\x81\x90"},  {"%", "\x81\x93"},
    {"&", "\x81\x95"}, {"'", "\x81\x8C"},  {"(", "\x81\x69"}, {")", "\x81\x6A"},  {"*", "\x81\x96"},
    {"+", "\x81\x7B"}, {",", "\x81\x43"},  {"-", "\x81\x7C"}, {".", "\x81\x44"},  {"/", "\x81\x5E"},
    {":", "\x81\x46"}, {";", "\x81\x47"},  {"<", "\x81\x83"}, {"=", "\x81\x81"},  {">", "\x81\x84"},
    {"?", "\x81\x48"}, {"@", "\x81\x97"},  {"[", "\x81\x6D"}, {"\\", "\x81\x8F"}, {"]", "\x81\x6E"},
    {"^", "\x81\x4F"}, {"{", "\x81\x6F"},  {"|", "\x81\x62"}, {"}", "\x81\x70"},
};

// The half-width bytes 0xA1..0xDD and their plain, voiced and semi-voiced forms.
inline const char kHalfKana[] =
    "\xA1\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAA\xAB\xAC\xAD\xAE\xAF\xB0\xB1\xB2\xB3\xB4\xB5\xB6"
    "\xB7\xB8\xB9\xBA\xBB\xBC\xBD\xBE\xBF\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC"
    "\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA\xDB\xDC\xDD";
inline const char kPlainKana[] =
    "\x81\x42\x81\x75\x81\x76\x81\x41\x81\x45\x83\x92\x83\x40\x83\x42\x83\x44\x83\x46\x83\x48"
    "\x83\x83\x83\x85\x83\x87\x83\x62\x81\x5B"  // punctuation, wo, small kana, prolonged mark
    "\x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\x83\x4A\x83\x4C\x83\x4E\x83\x50\x83\x52\x83\x54"
    "\x83\x56\x83\x58\x83\x5A\x83\x5C"  // a .. so
    "\x83\x5E\x83\x60\x83\x63\x83\x65\x83\x67\x83\x69\x83\x6A\x83\x6B\x83\x6C\x83\x6D\x83\x6E"
    "\x83\x71\x83\x74\x83\x77\x83\x7A"  // ta .. ho
    "\x83\x7D\x83\x7E\x83\x80\x83\x81\x83\x82\x83\x84\x83\x86\x83\x88\x83\x89\x83\x8A\x83\x8B"
    "\x83\x8C\x83\x8D\x83\x8F\x83\x93";  // ma .. n
inline const char kVoicedLetters[] =
    "\xB3\xB6\xB7\xB8\xB9\xBA\xBB\xBC\xBD\xBE\xBF\xC0\xC1\xC2\xC3\xC4"
    "\xCA\xCB\xCC\xCD\xCE";
inline const char kVoicedKana[] =
    "\x83\x94\x83\x4B\x83\x4D\x83\x4F\x83\x51\x83\x53\x83\x55\x83\x57\x83\x59\x83\x5B\x83\x5D"
    "\x83\x5F\x83\x61\x83\x64\x83\x66\x83\x68\x83\x6F\x83\x72\x83\x75\x83\x78\x83\x7B";  // vu
                                                                                         // ga..bo
inline const char kSemiVoicedLetters[] = "\xCA\xCB\xCC\xCD\xCE";
inline const char kSemiVoicedKana[] = "\x83\x70\x83\x73\x83\x76\x83\x79\x83\x7C";  // pa .. po

// Hiragana 0x829F..0x82F1 and the katakana of the same sounds.
inline const char kHiragana[] =
    "\x82\x9F\x82\xA0\x82\xA1\x82\xA2\x82\xA3\x82\xA4\x82\xA5\x82\xA6\x82\xA7\x82\xA8\x82\xA9"
    "\x82\xAA\x82\xAB\x82\xAC\x82\xAD\x82\xAE\x82\xAF\x82\xB0\x82\xB1\x82\xB2\x82\xB3\x82\xB4"
    "\x82\xB5\x82\xB6\x82\xB7\x82\xB8\x82\xB9\x82\xBA\x82\xBB\x82\xBC\x82\xBD\x82\xBE\x82\xBF"
    "\x82\xC0\x82\xC1\x82\xC2\x82\xC3\x82\xC4\x82\xC5\x82\xC6\x82\xC7\x82\xC8\x82\xC9\x82\xCA"
    "\x82\xCB\x82\xCC\x82\xCD\x82\xCE\x82\xCF\x82\xD0\x82\xD1\x82\xD2\x82\xD3\x82\xD4\x82\xD5"
    "\x82\xD6\x82\xD7\x82\xD8\x82\xD9\x82\xDA\x82\xDB\x82\xDC\x82\xDD\x82\xDE\x82\xDF\x82\xE0"
    "\x82\xE1\x82\xE2\x82\xE3\x82\xE4\x82\xE5\x82\xE6\x82\xE7\x82\xE8\x82\xE9\x82\xEA\x82\xEB"
    "\x82\xEC\x82\xED\x82\xEE\x82\xEF\x82\xF0\x82\xF1"
    "\x81\x54\x81\x55";  // iteration marks
inline const char kKatakana[] =
    "\x83\x40\x83\x41\x83\x42\x83\x43\x83\x44\x83\x45\x83\x46\x83\x47\x83\x48\x83\x49\x83\x4A"
    "\x83\x4B\x83\x4C\x83\x4D\x83\x4E\x83\x4F\x83\x50\x83\x51\x83\x52\x83\x53\x83\x54\x83\x55"
    "\x83\x56\x83\x57\x83\x58\x83\x59\x83\x5A\x83\x5B\x83\x5C\x83\x5D\x83\x5E\x83\x5F\x83\x60"
    "\x83\x61\x83\x62\x83\x63\x83\x64\x83\x65\x83\x66\x83\x67\x83\x68\x83\x69\x83\x6A\x83\x6B"
    "\x83\x6C\x83\x6D\x83\x6E\x83\x6F\x83\x70\x83\x71\x83\x72\x83\x73\x83\x74\x83\x75\x83\x76"
    "\x83\x77\x83\x78\x83\x79\x83\x7A\x83\x7B\x83\x7C\x83\x7D\x83\x7E\x83\x80\x83\x81\x83\x82"
    "\x83\x83\x83\x84\x83\x85\x83\x86\x83\x87\x83\x88\x83\x89\x83\x8A\x83\x8B\x83\x8C\x83\x8D"
    "\x83\x8E\x83\x8F\x83\x90\x83\x91\x83\x92\x83\x93"
    "\x81\x52\x81\x53";  // iteration marks
// Small ka and small ke have no hiragana in the code page: the platform may keep
// them or answer "?" for each.
inline const Rule kNoHiragana = {{"\x83\x95", "?"}, {"\x83\x96", "?"}};

inline std::string FullWidthKanaReference(std::string_view text) {
    static const Rule plain = Zip(kHalfKana, kPlainKana);
    static const Rule voiced = Merge(plain, Zip(kVoicedLetters, kVoicedKana));
    static const Rule semiVoiced = Merge(plain, Zip(kSemiVoicedLetters, kSemiVoicedKana));
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::string_view c = text.substr(i, CharLength(text, i));
        const auto hit = plain.find(c);
        if (hit == plain.end()) {
            out += c;
            i += c.size();
        } else if (i + 1 < text.size() && text[i + 1] == '\xDE') {
            out += voiced.find(c)->second;
            i += 2;
        } else if (i + 1 < text.size() && text[i + 1] == '\xDF') {
            out += semiVoiced.find(c)->second;
            i += 2;
        } else {
            out += hit->second;
            i += 1;
        }
    }
    return out;
}

inline std::string HalfWidthKanaReference(std::string_view text, int selector) {
    static const Rule punctuation = {{"\x81\x41", "\xA4"}, {"\x81\x42", "\xA1"},
                                     {"\x81\x43", ","},    {"\x81\x44", "."},
                                     {"\x81\x45", "\xA5"}, {"\x81\x5B", "\xB0"}};
    const std::string t = KanaToHalfWidth(text, selector);
    // Where characters begin, by the wide lead range walked from the first byte.
    std::vector<bool> lead(t.size());
    bool state = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const auto b = static_cast<unsigned char>(t[i]);
        state = (b >= 0x80 && b <= 0x9F) || b >= 0xE0 ? !state : false;
        lead[i] = state;
    }
    std::string out;
    bool afterKana = false;
    for (std::size_t i = 0; i < t.size();) {
        if (lead[i]) {
            const std::string c = t.substr(i, 2);
            const auto hit = punctuation.find(c);
            if (afterKana && hit != punctuation.end()) {
                out += hit->second;
            } else {
                afterKana = false;
                out += c;
            }
            i += 2;
        } else {
            const auto b = static_cast<unsigned char>(t[i]);
            out += static_cast<char>(b);
            afterKana = b >= 0xA1 && b <= 0xDF;
            i += 1;
        }
    }
    return out;
}

using Convert = std::function<std::string(std::string_view)>;

struct WidthKanaStep {
    std::string name;
    Convert run;
    Convert reference;
    Convert alternative;  // a second answer the platform may give, if any
    bool punctuationPass = false;
};

inline std::vector<WidthKanaStep> WidthKanaSteps() {
    const Rule digits = Zip("0123456789", kFullDigits), letters = Zip(kLetters, kFullLetters);
    const Rule narrowDigits = Zip(kFullDigits, "0123456789");
    const Rule narrowLetters = Zip(kFullLetters, kLetters);
    const Rule katakana = Zip(kHiragana, kKatakana), hiragana = Zip(kKatakana, kHiragana);
    const Rule hiraganaOrNot = Merge(hiragana, kNoHiragana);
    const auto loop = [](Rule rule) {
        return [rule](std::string_view t) { return ByteLoop(t, rule); };
    };
    const auto kanaMap = [](Rule rule) {
        return [rule](std::string_view t) { return ByteLoop(UpToNul(t), rule); };
    };
    const auto replace = [](std::string old, std::string by) {
        return [old, by](std::string_view t) { return Replace(t, old, by); };
    };
    const auto mode = [](std::string (*f)(std::string_view, int), int m) {
        return [f, m](std::string_view t) { return f(t, m); };
    };
    return {
        {"NumberMode 1", mode(ConvertDigits, 1), loop(narrowDigits), {}},
        {"NumberMode 2", mode(ConvertDigits, 2), loop(digits), {}},
        {"AlphabetMode 1", mode(ConvertLetters, 1), loop(narrowLetters), {}},
        {"AlphabetMode 2", mode(ConvertLetters, 2), loop(letters), {}},
        {"PunctuationMode 1", mode(ConvertCommas, 1), replace("\x81\x43", "\x81\x41"), {}},
        {"PunctuationMode 2", mode(ConvertCommas, 2), replace("\x81\x41", "\x81\x43"), {}},
        {"PeriodMode 1", mode(ConvertFullStops, 1), replace("\x81\x44", "\x81\x42"), {}},
        {"PeriodMode 2", mode(ConvertFullStops, 2), replace("\x81\x42", "\x81\x44"), {}},
        {"SignMode 1", mode(ConvertSymbols, 1), loop(kNarrowSymbols), {}},
        {"SignMode 2", mode(ConvertSymbols, 2), loop(kWideSymbols), {}},
        {"SpaceMode 1", mode(ConvertBlanks, 1), replace("\x81\x40", " "), {}},
        {"SpaceMode 2", mode(ConvertBlanks, 2), replace(" ", "\x81\x40"), {}},
        {"ParenthesisMode 1",
         mode(ConvertParentheses, 1),
         [](std::string_view t) { return Replace(Replace(t, "\x81\x69", "("), "\x81\x6A", ")"); },
         {}},
        {"ParenthesisMode 2",
         mode(ConvertParentheses, 2),
         [](std::string_view t) { return Replace(Replace(t, "(", "\x81\x69"), ")", "\x81\x6A"); },
         {}},
        {"KanaMode1 1",
         mode(ConvertHiragana, 1),
         [](std::string_view t) { return HalfWidthKanaReference(t, KanaRowHiragana); },
         {},
         true},
        {"KanaMode1 2", mode(ConvertHiragana, 2), kanaMap(katakana), {}},
        {"KanaMode2 1",
         mode(ConvertKatakana, 1),
         [](std::string_view t) { return HalfWidthKanaReference(t, KanaRowKatakana); },
         {},
         true},
        {"KanaMode2 2", mode(ConvertKatakana, 2), FullWidthKanaReference, {}},
        {"KanaMode2 3", mode(ConvertKatakana, 3),
         [hiragana](std::string_view t) {
             return ByteLoop(UpToNul(FullWidthKanaReference(t)), hiragana);
         },
         [hiraganaOrNot](std::string_view t) {
             return ByteLoop(UpToNul(FullWidthKanaReference(t)), hiraganaOrNot);
         }},
    };
}

}  // namespace qm::testing
