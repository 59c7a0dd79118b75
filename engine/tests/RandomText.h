// Random texts for holding a step against its plain version: pieces drawn from a
// small set that mixes ASCII, markup, blanks, line breaks, two-byte characters,
// lone lead bytes and bytes that are second bytes of two-byte characters.
#pragma once

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace qm::testing {

inline std::string RandomText(std::mt19937& rng, const std::vector<std::string_view>& pieces,
                              std::size_t maxPieces) {
    std::uniform_int_distribution<std::size_t> count(0, maxPieces), pick(0, pieces.size() - 1);
    std::string s;
    for (std::size_t k = count(rng); k > 0; --k)
        s += pieces[pick(rng)];
    return s;
}

// Pieces every step cares about somewhere.
inline const std::vector<std::string_view>& CommonPieces() {
    static const std::vector<std::string_view> pieces = {
        "a",        "b",    "A",    "x", " ",  "\t", "\r\n", "\r",
        "\n",       "<",    ">",    "&", "\"", ",",  "/",    ".",
        "\x81\x40",  // full-width blank
        "\x81\x42",  // full stop
        "\x82\xA0",  // hiragana a
        "\x83\x41",  // katakana a (second byte "A")
        "\x81\x75",  // opening corner bracket (second byte "u")
        "\x82\x57",  // full-width 8 (second byte "W")
        "\x83\x46",  // katakana small e (second byte "F")
        "\x81",      // a lead byte that takes whatever follows
        "\x87",     "\x40", "\xA0",
        "\xB1",  // half-width katakana a
    };
    return pieces;
}

inline std::vector<std::string_view> WithPieces(std::vector<std::string_view> more) {
    std::vector<std::string_view> all = CommonPieces();
    all.insert(all.end(), more.begin(), more.end());
    return all;
}

}  // namespace qm::testing
