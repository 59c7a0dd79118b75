// Helpers for steps that jump through a text from candidate byte to candidate byte
// (found with memchr) instead of walking every character, and still have to know
// where characters begin.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/TextServices.h"

namespace qm {

// Answers "does the character walk from the first byte stop at index i?" for rising
// indexes, with the same lead-byte rule as NextCharStart (a lead byte takes the byte
// after it). A byte that is not a lead byte is followed by a character start,
// so a question only looks back over the run of lead bytes before i, and never
// further back than the last answer: every byte is looked at once over all calls.
class BoundaryTracker {
  public:
    explicit BoundaryTracker(std::string_view text, const LeadByteTable& lead = CodePageLeadBytes())
        : bytes_(reinterpret_cast<const std::uint8_t*>(text.data())), lead_(lead) {}

    // 0-based index; indexes must not decrease between calls.
    bool IsBoundary(std::size_t i) {
        if (i == lastIndex_) return lastAnswer_;
        lastIndex_ = i;
        lastAnswer_ = Peek(i);
        known_ = lastAnswer_ ? i : i + 1;
        return lastAnswer_;
    }

    // The same answer without moving on: for a look at an index behind a later one.
    // i must not lie before the last answer, or before a restart.
    bool Peek(std::size_t i) const {
        std::size_t j = i;
        while (j > known_ && lead_[bytes_[j - 1]])
            --j;
        // j is a character start: either known_ or just after a byte that is no lead.
        return (i - j) % 2 == 0;
    }

    // The walk starts afresh at index i: i is a character start, and later
    // questions are about indexes from i on.
    void Restart(std::size_t i) {
        known_ = i;
        lastIndex_ = static_cast<std::size_t>(-1);
    }

  private:
    const std::uint8_t* bytes_;
    const LeadByteTable& lead_;
    std::size_t known_ = 0;  // a character start at or before every later question
    std::size_t lastIndex_ = static_cast<std::size_t>(-1);
    bool lastAnswer_ = false;
};

// The next index holding any of a set of bytes: by one memchr per byte, each kept
// ahead until the search passes it, for up to four bytes; by a table otherwise.
class ByteFinder {
  public:
    ByteFinder(std::string_view text, std::string_view bytes) : text_(text) {
        for (const char b : bytes)
            table_[static_cast<std::uint8_t>(b)] = true;
        if (bytes.size() > bytes_.size()) return;
        for (const char b : bytes) {
            bytes_[count_] = b;
            next_[count_++] = Find(b, 0);
        }
        byMemchr_ = true;
    }

    // The first index from `from` on that holds one of the bytes, or the text's size.
    std::size_t Next(std::size_t from) {
        std::size_t first = text_.size();
        if (!byMemchr_) {
            for (first = from; first < text_.size(); ++first) {
                if (table_[static_cast<std::uint8_t>(text_[first])]) break;
            }
            return std::min(first, text_.size());
        }
        for (std::size_t k = 0; k < count_; ++k) {
            if (next_[k] < from) next_[k] = Find(bytes_[k], from);
            first = std::min(first, next_[k]);
        }
        return first;
    }

  private:
    std::size_t Find(char b, std::size_t from) const {
        // Blanks and letters come close together: a short look before the call.
        const std::size_t near = std::min(text_.size(), from + 16);
        for (; from < near; ++from) {
            if (text_[from] == b) return from;
        }
        if (from >= text_.size()) return text_.size();
        const void* hit = std::memchr(text_.data() + from, b, text_.size() - from);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data())
                   : text_.size();
    }

    std::string_view text_;
    std::array<bool, 256> table_{};
    bool byMemchr_ = false;
    std::array<char, 4> bytes_{};
    std::array<std::size_t, 4> next_{};
    std::size_t count_ = 0;
};

// What the platform's lower-casing makes of each single-byte character; lead bytes
// map to themselves. Only single-byte letters change in code page 932.
inline std::array<std::uint8_t, 256> LowerSingleBytes(const TextServices& text) {
    std::array<std::uint8_t, 256> table{};
    const CharMap& lower = text.LowerMap();
    const LeadByteTable& lead = text.LeadBytes();
    for (unsigned b = 0; b < 256; ++b) {
        const MappedChar& m = lower.Single(static_cast<std::uint8_t>(b));
        table[b] = m.length == 1 && !lead[b] ? m.bytes[0] : static_cast<std::uint8_t>(b);
    }
    return table;
}

// Whether the bytes at text[i...] lower-case (byte by byte, through table) to the
// literal. For literals of single-byte characters only.
inline bool LowerEquals(std::string_view text, std::size_t i, std::string_view literal,
                        const std::array<std::uint8_t, 256>& lower) {
    if (i > text.size() || text.size() - i < literal.size()) return false;
    for (std::size_t k = 0; k < literal.size(); ++k) {
        if (lower[static_cast<std::uint8_t>(text[i + k])] != static_cast<std::uint8_t>(literal[k]))
            return false;
    }
    return true;
}

// ReplaceAll, case-sensitive, for a text and a pattern without NUL bytes: what the
// search in short texts comes to, without its checks.
bool ReplaceBytes(std::string_view text, std::string_view pattern, std::string_view replacement,
                  std::string& out);

}  // namespace qm
