#include "engine/UserFilter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

#include "base/File.h"
#include "base/Messages.h"
#include "base/Path.h"
#include "engine/LineList.h"
#include "engine/Sjis.h"
#include "engine/SjisScan.h"
#include "engine/Vector.h"

#ifdef QM_AVX2_KERNELS
#include <immintrin.h>
#endif

namespace qm {

namespace {

// "Filter file "%s" ..." with the full path and the rest of the message.
[[noreturn]] void ThrowRefused(const std::string& path, EFilterFileRefused::Reason reason) {
    using Reason = EFilterFileRefused::Reason;
    const char* rest = "";
    switch (reason) {
        case Reason::TooLarge:
            // "... is too large (over 16 MB)."
            rest =
                "\x82\xCD\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81\x69"
                "16 MB \x82\xF0\x92\xB4\x82\xA6\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x6A\x81\x42";
            break;
        case Reason::NulByte:
            // "... is not a text file (it holds NUL bytes). Please save it as Shift-JIS."
            rest =
                "\x82\xCD\x83\x65\x83\x4C\x83\x58\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8B"
                "\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x69"
                "NUL "
                "\x83\x6F\x83\x43\x83\x67\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x6A\x81\x42"
                "Shift-JIS \x82\xC5\x95\xDB\x91\xB6\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3"
                "\x82\xA2\x81\x42";
            break;
        case Reason::NotAFile:
            // "... is not a regular file."
            rest =
                "\x82\xCD\x92\xCA\x8F\xED\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B"
                "\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x42";
            break;
    }
    // "Filter file "%s" "
    throw EFilterFileRefused("\x83\x74\x83\x42\x83\x8B\x83\x5E\x83\x74\x83\x40\x83\x43\x83\x8B \"" +
                                 FullPath(path) + "\" " + rest,
                             reason);
}

// A rule's fields, in the text of its file.
struct Rule {
    std::string_view search, replacement;
};

// The rules of a filter file, in file order; rules with an empty search text change
// nothing and are left out.
// `lines` holds the file's lines, which the rules refer to.
std::vector<Rule> ParseRules(std::string_view content, LineList& lines) {
    std::vector<Rule> rules;
    lines.Load(content);
    lines.ForEachLine([&](std::string_view line) {
        if (line.empty() || line[0] == '#') return;
        // The fields of FieldOf (line, TAB, 0) and (line, TAB, 1).
        const std::size_t tab = std::min(line.find('\t'), line.size());
        const std::string_view rest = line.substr(std::min(tab + 1, line.size()));
        const Rule rule{line.substr(0, tab), rest.substr(0, rest.find('\t'))};
        if (!rule.search.empty()) rules.push_back(rule);
    });
    return rules;
}

// The hash of four bytes by which search texts of four bytes or more are told
// apart from most indexes, and a bitmap of those in use.
constexpr std::uint32_t kQuadMultiplier = 0x9E3779B1u;

#ifdef QM_AVX2_KERNELS
// Bit k for whether the hash of the four bytes at p + k is marked in the bitmap, for
// the 64 indexes of a block: eight indexes to an instruction, the bitmap's words
// gathered. Reads up to p + 71.
QM_AVX2 std::uint64_t QuadMaskAvx2(const std::uint8_t* p, const std::uint32_t* bitmap,
                                   unsigned shift) {
    // The four bytes at each of eight indexes from sixteen bytes, one lane each.
    const __m256i order = _mm256_setr_epi8(0, 1, 2, 3, 1, 2, 3, 4, 2, 3, 4, 5, 3, 4, 5, 6, 4, 5, 6,
                                           7, 5, 6, 7, 8, 6, 7, 8, 9, 7, 8, 9, 10);
    const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(kQuadMultiplier));
    const __m256i low5 = _mm256_set1_epi32(31);
    const __m128i by = _mm_cvtsi32_si128(static_cast<int>(shift));
    std::uint64_t mask = 0;
    for (int k = 0; k < 64; k += 8) {
        const __m256i bytes =
            _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k)));
        const __m256i hash =
            _mm256_srl_epi32(_mm256_mullo_epi32(_mm256_shuffle_epi8(bytes, order), multiplier), by);
        const __m256i words = _mm256_i32gather_epi32(reinterpret_cast<const int*>(bitmap),
                                                     _mm256_srli_epi32(hash, 5), 4);
        const __m256i bits =
            _mm256_slli_epi32(_mm256_srlv_epi32(words, _mm256_and_si256(hash, low5)), 31);
        mask |= static_cast<std::uint64_t>(
                    static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(bits))))
                << k;
    }
    return mask;
}
#endif

// Which rules can match in a line at all. Every search text is looked for as bytes.
// A bitmap of the first two bytes of every search text (of the first byte, with any
// byte after it, for a search text of one byte) tells in one look whether any may
// start at a position; only then are the search texts filed by a hash of their
// first bytes (up to four) looked up, each filing with a bitmap of the hashes in
// use. A filed search text keeps its first eight bytes beside it, so that most are
// compared with the text in one step, without a look at the rules.
//
// Search texts never hold a line break, so a match never crosses one, and the
// character walk starts afresh after every LF (LF is no lead byte, and no second
// byte either, since a CR or LF comes before it): each line can be filtered on its
// own, and a line in which no search text occurs, as bytes, is left as it is by
// every rule.
class RuleIndex {
  public:
    explicit RuleIndex(const std::vector<Rule>& rules) {
        std::unordered_map<std::string_view, int> ids;
        std::vector<std::vector<int>> rulesOfPattern;
        for (std::size_t r = 0; r < rules.size(); ++r) {
            const auto [it, added] =
                ids.emplace(rules[r].search, static_cast<int>(patterns_.size()));
            if (added) {
                patterns_.push_back(rules[r].search);
                rulesOfPattern.emplace_back();
            }
            rulesOfPattern[static_cast<std::size_t>(it->second)].push_back(static_cast<int>(r));
            patternOf_.push_back(it->second);
        }
        for (const std::vector<int>& own : rulesOfPattern) {
            firstRule_.push_back(static_cast<int>(ruleList_.size()));
            ruleList_.insert(ruleList_.end(), own.begin(), own.end());
        }
        firstRule_.push_back(static_cast<int>(ruleList_.size()));
        std::array<std::size_t, kKeyBytes> filed{};
        for (std::size_t id = 0; id < patterns_.size(); ++id) {
            const std::string_view p = patterns_[id];
            longest_ = std::max(longest_, p.size());
            const auto first = static_cast<std::uint8_t>(p[0]);
            if (p.size() == 1) {
                single_[first] = true;
                for (unsigned second = 0; second < 256; ++second)
                    Mark(first, second);
            } else {
                Mark(first, static_cast<std::uint8_t>(p[1]));
            }
            ++filed[FilingOf(p)];
        }
        for (std::size_t k = 0; k < kKeyBytes; ++k) {
            Filing& f = filings_[k];
            f.keyMask = Ones(k + 1);
            if (filed[k] == 0) continue;
            // Two buckets or more a search text: most lookups of a text that holds
            // none of them end at the bitmap.
            while ((std::size_t{1} << f.hashBits) < 2 * filed[k])
                ++f.hashBits;
            const std::size_t buckets = std::size_t{1} << f.hashBits;
            f.bitmap.assign((buckets + 63) / 64, 0);
            f.bucketStart.assign(buckets + 1, 0);
            f.entries.resize(filed[k]);
            active_.push_back(&f);
        }
        for (const std::string_view p : patterns_) {
            Filing& f = filings_[FilingOf(p)];
            ++f.bucketStart[f.Hash(Head(p) & f.keyMask) + 1];
        }
        for (Filing& f : filings_) {
            for (std::size_t h = 0; h + 1 < f.bucketStart.size(); ++h) {
                if (f.bucketStart[h + 1]) f.bitmap[h / 64] |= std::uint64_t{1} << (h % 64);
                f.bucketStart[h + 1] += f.bucketStart[h];
            }
        }
        for (std::size_t id = 0; id < patterns_.size(); ++id) {
            const std::string_view p = patterns_[id];
            Filing& f = filings_[FilingOf(p)];
            const std::uint32_t slot = f.bucketStart[f.Hash(Head(p) & f.keyMask)]++;
            f.entries[slot] = {Head(p), Ones(std::min<std::size_t>(p.size(), 8)),
                               static_cast<int>(id), static_cast<std::uint32_t>(p.size())};
        }
        shortest_ = longest_;
        for (const std::string_view p : patterns_)
            shortest_ = std::min(shortest_, p.size());
        if (shortest_ >= 4) {
            // Sixteen bits or more a search text, so that few indexes pass for nothing.
            unsigned bits = 10;
            while (bits < 20 && (std::size_t{1} << bits) < 16 * patterns_.size())
                ++bits;
            quadShift_ = 32 - bits;
            quads_.assign((std::size_t{1} << bits) / 32, 0);
            for (const std::string_view p : patterns_) {
                const std::uint32_t h = QuadHash(reinterpret_cast<const std::uint8_t*>(p.data()));
                quads_[h / 32] |= std::uint32_t{1} << (h % 32);
            }
        }
        // The counts moved each bucket's start to the next one's.
        for (Filing& f : filings_) {
            for (std::size_t h = f.bucketStart.size(); h-- > 1;)
                f.bucketStart[h] = f.bucketStart[h - 1];
            if (!f.bucketStart.empty()) f.bucketStart[0] = 0;
        }
    }

    std::size_t Patterns() const { return patterns_.size(); }
    std::size_t Length(int pattern) const {
        return patterns_[static_cast<std::size_t>(pattern)].size();
    }
    int PatternOf(int rule) const { return patternOf_[static_cast<std::size_t>(rule)]; }
    // The last rule of a search text.
    int LastRule(int pattern) const { return RulesEnd(pattern)[-1]; }
    // The rules of a search text, ascending.
    const int* RulesBegin(int pattern) const {
        return ruleList_.data() + firstRule_[static_cast<std::size_t>(pattern)];
    }
    const int* RulesEnd(int pattern) const {
        return ruleList_.data() + firstRule_[static_cast<std::size_t>(pattern) + 1];
    }

    // The longest search text.
    std::size_t Longest() const { return longest_; }

    // Calls found(index, search text) for every occurrence in line that begins at
    // an index of [from, to).
    template <typename Found>
    void Occurrences(std::string_view line, std::size_t from, std::size_t to, Found found) const {
        const auto* t = reinterpret_cast<const std::uint8_t*>(line.data());
        const std::size_t n = line.size();
        MayStarts(t, n, from, to, [&](std::size_t i) {
            return MatchAt(t, n, i, [&](int id) {
                found(i, id);
                return false;
            });
        });
    }

  private:
    static constexpr std::size_t kKeyBytes = 4;

    // A search text with its first bytes, as Head reads them.
    struct Entry {
        std::uint64_t head, mask;
        int id;
        std::uint32_t length;
    };
    struct Filing {
        std::uint64_t keyMask = 0;  // search texts of this many bytes, or more for the last
        unsigned hashBits = 6;
        std::vector<std::uint64_t> bitmap;       // the hashes in use
        std::vector<std::uint32_t> bucketStart;  // search texts by hash
        std::vector<Entry> entries;

        std::uint32_t Hash(std::uint64_t key) const {
            return static_cast<std::uint32_t>((key * 0x9E3779B97F4A7C15u) >> (64 - hashBits));
        }
    };

    static std::size_t FilingOf(std::string_view p) {
        return std::min<std::size_t>(p.size(), kKeyBytes) - 1;
    }
    // Up to eight bytes as one number, the rest zero; Ones gives the mask of as many.
    static std::uint64_t Head(const std::uint8_t* p, std::size_t bytes) {
        std::uint64_t head = 0;
        if (bytes >= 8) {
            std::memcpy(&head, p, 8);  // one load, where a call would copy fewer bytes
        } else {
            std::memcpy(&head, p, bytes);
        }
        return head;
    }
    static std::uint64_t Head(std::string_view p) {
        return Head(reinterpret_cast<const std::uint8_t*>(p.data()), p.size());
    }
    static std::uint64_t Ones(std::size_t bytes) {
        static constexpr std::uint8_t kOnes[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        return Head(kOnes, bytes);
    }

    void Mark(unsigned first, unsigned second) {
        const unsigned pair = first << 8 | second;
        starts_[pair / 64] |= std::uint64_t{1} << (pair % 64);
    }

    // Whether some search text may start at index i of t (n bytes long).
    bool MayStart(const std::uint8_t* t, std::size_t n, std::size_t i) const {
        if (i + 1 == n) return single_[t[i]];
        const unsigned pair = static_cast<unsigned>(t[i]) << 8 | t[i + 1];
        return starts_[pair / 64] >> (pair % 64) & 1;
    }

    // Calls visit(index) in order for the indexes of [from, to) at which a search
    // text may start in t (n bytes long), until it returns true; that index, or npos.
    // When every search text has four bytes or more, their first four bytes are
    // looked up in a bitmap for a block of indexes at a time, without a branch at
    // each: in Japanese text a search text's first two bytes occur at a good part
    // of the indexes, too many to be told apart by a guess.
    template <typename Visit>
    std::size_t MayStarts(const std::uint8_t* t, std::size_t n, std::size_t from, std::size_t to,
                          Visit visit) const {
        if (shortest_ < 4) {
            for (std::size_t i = from; i < to; ++i) {
                if (MayStart(t, n, i) && visit(i)) return i;
            }
            return std::string_view::npos;
        }
        const std::size_t end = n < 4 ? 0 : std::min(to, n - 3);
        for (std::size_t block = from; block < end; block += 64) {
            const std::size_t count = std::min<std::size_t>(64, end - block);
            std::uint64_t may = 0;
#ifdef QM_AVX2_KERNELS
            if (avx2_ && count == 64 && n - block >= 72) {
                may = QuadMaskAvx2(t + block, quads_.data(), quadShift_);
            } else
#endif
            {
                for (std::size_t k = 0; k < count; ++k) {
                    const std::uint32_t h = QuadHash(t + block + k);
                    may |= std::uint64_t{quads_[h / 32] >> (h % 32) & 1} << k;
                }
            }
            for (; may != 0; may &= may - 1) {
                const std::size_t i = block + static_cast<std::size_t>(std::countr_zero(may));
                if (visit(i)) return i;
            }
        }
        return std::string_view::npos;
    }

    std::uint32_t QuadHash(const std::uint8_t* p) const {
        std::uint32_t key;
        std::memcpy(&key, p, 4);
        return (key * kQuadMultiplier) >> quadShift_;
    }

    // Calls found(pattern id) for every search text that occurs at index i of t (n
    // bytes long) until it returns true; whether it did.
    template <typename Found>
    bool MatchAt(const std::uint8_t* t, std::size_t n, std::size_t i, Found found) const {
        const std::size_t rest = n - i;
        const std::uint64_t head = Head(t + i, rest);
        for (const Filing* f : active_) {
            const std::uint32_t h = f->Hash(head & f->keyMask);
            if (!(f->bitmap[h / 64] >> (h % 64) & 1)) continue;
            for (std::uint32_t k = f->bucketStart[h]; k < f->bucketStart[h + 1]; ++k) {
                const Entry& e = f->entries[k];
                if ((head & e.mask) != e.head || e.length > rest) continue;
                if (e.length > 8 &&
                    std::memcmp(t + i + 8, patterns_[static_cast<std::size_t>(e.id)].data() + 8,
                                e.length - 8) != 0)
                    continue;
                if (found(e.id)) return true;
            }
        }
        return false;
    }

    std::vector<std::string_view> patterns_;          // distinct search texts
    std::vector<int> patternOf_;                      // by rule
    std::vector<int> firstRule_, ruleList_;           // the rules of each search text, ascending
    std::array<std::uint64_t, 65536 / 64> starts_{};  // first two bytes of the search texts
    std::array<bool, 256> single_{};                  // search texts of one byte
    std::vector<std::uint32_t> quads_;  // first four bytes of the search texts, by QuadHash
    unsigned quadShift_ = 32;
    bool avx2_ = ActiveVectorLevel() == VectorLevel::Avx2;
    std::size_t longest_ = 0, shortest_ = 0;
    std::array<Filing, kKeyBytes> filings_;
    std::vector<const Filing*> active_;  // in order of key length
};

// For each rule, whether a line it changed must be searched again for the rules
// after it. A search text that occurs after a replacement and did not before spans
// the place of a deletion, or takes a byte of an inserted replacement that is not
// part of a copy of the rule's search text in it: where the replacement "[abc]"
// repeats "abc", what lies there and beside it was there before. So a later search
// text matters only if it is such a piece of the replacement, or ends with one that
// begins the replacement, or begins with one that ends it, or holds all of it.
// Every piece of every search text is filed under the last rule that has it; pieces
// of texts too long to take apart make every rule before them search again.
std::vector<bool> SearchAgainAfter(const std::vector<Rule>& rules) {
    constexpr std::size_t kLongest = 64, kMostPieces = 4000000;
    std::vector<bool> again(rules.size(), true);
    std::size_t pieces = 0;
    for (const Rule& rule : rules)
        pieces += std::min(rule.search.size(), kLongest) * std::min(rule.search.size(), kLongest);
    if (pieces > kMostPieces) return again;
    using Last = std::unordered_map<std::string_view, std::size_t>;
    Last whole, prefix, suffix, inner;  // whole texts, proper prefixes, proper suffixes,
                                        // pieces with a byte on either side
    std::size_t beforeLong = 0;         // rules before this one search again
    for (std::size_t r = 0; r < rules.size(); ++r) {
        const std::string_view s = rules[r].search;
        whole[s] = r;
        if (s.size() > kLongest) {
            beforeLong = r;
            continue;
        }
        for (std::size_t k = 1; k < s.size(); ++k) {
            prefix[s.substr(0, k)] = r;
            suffix[s.substr(s.size() - k)] = r;
            for (std::size_t e = k + 1; e < s.size(); ++e)
                inner[s.substr(k, e - k)] = r;
        }
    }
    for (std::size_t r = beforeLong; r < rules.size(); ++r) {
        const std::string_view rep = rules[r].replacement;
        if (rep.empty() || rep.size() > kLongest) continue;
        const auto later = [r](const Last& last, std::string_view piece) {
            const auto it = last.find(piece);
            return it != last.end() && it->second > r;
        };
        const std::size_t copy = rep.find(rules[r].search);
        bool any = false;
        for (std::size_t a = 0; a < rep.size() && !any; ++a) {
            for (std::size_t b = a + 1; b <= rep.size() && !any; ++b) {
                const bool fresh =
                    copy == std::string_view::npos || a < copy || b > copy + rules[r].search.size();
                if (!fresh) continue;
                const std::string_view piece = rep.substr(a, b - a);
                any = later(whole, piece) || (a == 0 && later(suffix, piece)) ||
                      (b == rep.size() && later(prefix, piece)) ||
                      (a == 0 && b == rep.size() && later(inner, piece));
            }
        }
        again[r] = any;
    }
    return again;
}

// The rules waiting to be applied to a line, taken first to last: a bit for each
// rule, and a bit for each word of those that is not zero, so that taking the next
// rule costs a few steps however many rules there are.
class RuleQueue {
  public:
    explicit RuleQueue(std::size_t rules)
        : bits_((rules + 63) / 64), words_((bits_.size() + 63) / 64) {}

    void Add(int rule) {
        const auto r = static_cast<std::size_t>(rule);
        bits_[r / 64] |= std::uint64_t{1} << (r % 64);
        words_[r / 4096] |= std::uint64_t{1} << (r / 64 % 64);
    }

    // The first rule waiting, taken off the queue; -1 when none is.
    int Take() {
        for (; word_ < words_.size(); ++word_) {
            if (words_[word_] == 0) continue;
            const std::size_t w =
                word_ * 64 + static_cast<std::size_t>(std::countr_zero(words_[word_]));
            std::uint64_t& bits = bits_[w];
            const std::size_t r = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
            bits &= bits - 1;
            if (bits == 0) words_[word_] &= words_[word_] - 1;
            return static_cast<int>(r);
        }
        word_ = 0;
        return -1;
    }

  private:
    std::vector<std::uint64_t> bits_, words_;
    std::size_t word_ = 0;  // no rule waits in the words before this one
};

// Indexes in a line, and in a part of the text, are kept in 32 bits: half the
// memory where a line holds an occurrence at nearly every byte. A line that grows
// longer than they reach takes the rules left one after the other.
using Index = std::uint32_t;
constexpr std::size_t kMostIndexed = UINT32_MAX;

// What filtering a line works with, kept from line to line.
struct LineWork {
    LineWork(std::size_t patterns, std::size_t rules)
        : waiting(rules), live(patterns), liveLine(patterns), queuedLine(patterns) {}

    struct Occurrence {
        Index at;
        int pattern;
    };
    RuleQueue waiting;
    std::vector<Occurrence> occurrences, kept;  // by index in the line
    std::vector<Occurrence> found;              // in a part of the text, by index
    std::vector<Index> replacedAt;              // by the rule applied last
    std::vector<std::uint32_t> live;            // occurrences of each search text in the line...
    std::vector<std::uint64_t> liveLine;        // ...if this is the line's number
    std::vector<std::uint64_t> queuedLine;  // the line in which a search text's rules were queued
    std::uint64_t line = 0;
    std::string current, replaced;

    std::uint32_t& Live(int pattern) {
        const auto k = static_cast<std::size_t>(pattern);
        if (liveLine[k] != line) {
            liveLine[k] = line;
            live[k] = 0;
        }
        return live[k];
    }
};

// The bytes at the front and at the back that a replacement shares with its search
// text: what lies there stays as it was.
struct SharedEnds {
    SharedEnds(std::string_view search, std::string_view replacement) {
        const std::size_t shorter = std::min(search.size(), replacement.size());
        while (front < shorter && search[front] == replacement[front])
            ++front;
        while (front + back < shorter &&
               search[search.size() - 1 - back] == replacement[replacement.size() - 1 - back])
            ++back;
    }
    std::size_t front = 0, back = 0;
};

// The rules from `first` on applied to w.current one after the other, as ReplaceAll
// does; whether any changed it.
bool ApplyEach(const std::vector<Rule>& rules, std::size_t first, LineWork& w) {
    bool changed = false;
    for (std::size_t r = first; r < rules.size(); ++r) {
        if (!ReplaceBytes(w.current, rules[r].search, rules[r].replacement, w.replaced)) continue;
        w.current.swap(w.replaced);
        changed = true;
    }
    return changed;
}

// The rules applied to one line, given the occurrences of the search texts in it;
// false when no rule changed it. Every occurrence of the search texts that later
// rules look for is kept, in the order of the line, and moved along with each
// change; the rules of those that occur are applied in their order, from a queue,
// each where its own search text occurs at a character start. After a change, a
// search text that newly occurs shares bytes with those that changed, or spans the
// place of bytes that went (SearchAgainAfter tells whether any later rule's can):
// only around each replaced place is the line searched again, so that a long line
// costs a rule no more than the places where it matches.
bool FilterLine(std::string_view line, const LineWork::Occurrence* first,
                const LineWork::Occurrence* last, const std::vector<Rule>& rules,
                const std::vector<bool>& searchAgain, const RuleIndex& matcher, LineWork& w) {
    ++w.line;
    w.occurrences.clear();
    // The occurrence goes to `to` if a rule after `after` looks for its text.
    const auto add = [&](std::vector<LineWork::Occurrence>& to, std::size_t at, int pattern,
                         int after) {
        if (matcher.LastRule(pattern) <= after) return;
        to.push_back({static_cast<Index>(at), pattern});
        ++w.Live(pattern);
        if (w.queuedLine[static_cast<std::size_t>(pattern)] == w.line) return;
        // Rules run in their order: those of a search text found later have run.
        w.queuedLine[static_cast<std::size_t>(pattern)] = w.line;
        for (const int* r =
                 std::upper_bound(matcher.RulesBegin(pattern), matcher.RulesEnd(pattern), after);
             r != matcher.RulesEnd(pattern); ++r)
            w.waiting.Add(*r);
    };
    for (const LineWork::Occurrence* o = first; o != last; ++o)
        add(w.occurrences, o->at, o->pattern, -1);
    w.current.assign(line);
    const LeadByteTable& lead = Text().LeadBytes();
    bool changed = false;
    for (int rule = w.waiting.Take(); rule >= 0; rule = w.waiting.Take()) {
        const int pattern = matcher.PatternOf(rule);
        if (w.Live(pattern) == 0) continue;
        const Rule& r = rules[static_cast<std::size_t>(rule)];
        const std::string_view search = r.search, replacement = r.replacement;
        if (search == replacement) continue;
        // ReplaceAll from left to right: the bytes may occur where no character
        // starts, or overlap the last one replaced.
        w.replacedAt.clear();
        BoundaryTracker boundary(w.current, lead);
        std::size_t next = 0;
        for (const LineWork::Occurrence& o : w.occurrences) {
            if (o.pattern != pattern || o.at < next || !boundary.IsBoundary(o.at)) continue;
            w.replacedAt.push_back(o.at);
            next = o.at + search.size();
            boundary.Restart(next);
        }
        if (w.replacedAt.empty()) continue;
        changed = true;
        w.replaced.clear();
        std::size_t copied = 0;
        for (const std::size_t at : w.replacedAt) {
            w.replaced.append(w.current, copied, at - copied);
            w.replaced.append(replacement);
            copied = at + search.size();
        }
        w.replaced.append(w.current, copied);
        if (w.replaced.size() > kMostIndexed) {
            while (w.waiting.Take() >= 0) {
            }
            w.current.swap(w.replaced);
            ApplyEach(rules, static_cast<std::size_t>(rule) + 1, w);
            return true;
        }

        // Each replaced place, with what is searched again around it: the
        // occurrences that begin in the bytes that changed (some of those bytes may
        // be what they were), and with a new search for the later rules, those
        // that might reach into them from before. Places whose searches meet are
        // searched as one.
        const SharedEnds shared(search, replacement);
        const std::size_t reach =
            searchAgain[static_cast<std::size_t>(rule)] ? matcher.Longest() - 1 : 0;
        const std::ptrdiff_t growth = static_cast<std::ptrdiff_t>(replacement.size()) -
                                      static_cast<std::ptrdiff_t>(search.size());
        w.kept.clear();
        std::size_t o = 0;
        std::ptrdiff_t shift = 0;
        for (std::size_t k = 0; k < w.replacedAt.size();) {
            const std::size_t changeFrom = w.replacedAt[k] + shared.front;
            const std::size_t from = changeFrom - std::min(changeFrom, reach);
            std::size_t to = w.replacedAt[k] + search.size() - shared.back;
            const std::ptrdiff_t before = shift;
            for (shift += growth, ++k; k < w.replacedAt.size(); shift += growth, ++k) {
                const std::size_t nextFrom = w.replacedAt[k] + shared.front;
                if (nextFrom - std::min(nextFrom, reach) >= to) break;
                to = w.replacedAt[k] + search.size() - shared.back;
            }
            for (; o < w.occurrences.size() && w.occurrences[o].at < to; ++o) {
                const LineWork::Occurrence& old = w.occurrences[o];
                if (matcher.LastRule(old.pattern) <= rule) continue;
                if (old.at < from && old.at + matcher.Length(old.pattern) <= changeFrom) {
                    w.kept.push_back(
                        {static_cast<Index>(static_cast<std::ptrdiff_t>(old.at) + before),
                         old.pattern});
                } else {
                    --w.Live(old.pattern);
                }
            }
            matcher.Occurrences(
                w.replaced, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(from) + before),
                static_cast<std::size_t>(static_cast<std::ptrdiff_t>(to) + shift),
                [&](std::size_t at, int found) { add(w.kept, at, found, rule); });
        }
        for (; o < w.occurrences.size(); ++o) {
            const LineWork::Occurrence& old = w.occurrences[o];
            if (matcher.LastRule(old.pattern) <= rule) continue;
            w.kept.push_back(
                {static_cast<Index>(static_cast<std::ptrdiff_t>(old.at) + shift), old.pattern});
        }
        w.occurrences.swap(w.kept);
        w.current.swap(w.replaced);
    }
    return changed;
}

}  // namespace

struct FilterRules::Prepared {
    explicit Prepared(std::string_view content)
        : rules(ParseRules(content, lines)),
          matcher(rules),
          searchAgain(SearchAgainAfter(rules)),
          work(matcher.Patterns(), rules.size()) {}
    LineList lines;  // the file's lines, which the rules refer to
    const std::vector<Rule> rules;
    const RuleIndex matcher;  // refers to the rules' search texts
    const std::vector<bool> searchAgain;
    LineWork work;
};

FilterRules::FilterRules(std::string_view content)
    : prepared_(std::make_unique<Prepared>(content)) {
    if (prepared_->rules.empty()) prepared_.reset();
}

FilterRules::~FilterRules() = default;
FilterRules::FilterRules(FilterRules&&) noexcept = default;
FilterRules& FilterRules::operator=(FilterRules&&) noexcept = default;

bool FilterRules::Apply(std::string_view text, std::string& out) {
    if (!prepared_) return false;
    Prepared& p = *prepared_;
    // Nothing is replaced after the first NUL.
    const std::size_t limit = std::min(text.find('\0'), text.size());
    out.clear();
    bool changed = false;
    std::size_t copied = 0;
    const std::string_view searched = text.substr(0, limit);
    std::vector<LineWork::Occurrence>& found = p.work.found;
    // The line from start to end has become p.work.current.
    const auto changedLine = [&](std::size_t start, std::size_t end) {
        if (!changed) out.reserve(text.size() + text.size() / 8);
        changed = true;
        out.append(text.substr(copied, start - copied));
        out.append(p.work.current);
        copied = end;
    };
    constexpr std::size_t kChunkBytes = 64 * 1024;
    for (std::size_t chunk = 0, chunkEnd = 0; chunk < limit; chunk = chunkEnd) {
        // Whole lines at a time are searched in one pass, the occurrences kept
        // while the lines that hold them are filtered.
        chunkEnd = limit;
        if (limit - chunk > kChunkBytes) {
            const void* lf =
                std::memchr(text.data() + chunk + kChunkBytes, '\n', limit - chunk - kChunkBytes);
            if (lf)
                chunkEnd = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) + 1;
        }
        if (chunkEnd - chunk > kMostIndexed) {
            for (std::size_t start = chunk, end = 0; start < chunkEnd; start = end + 1) {
                const void* lf = std::memchr(text.data() + start, '\n', chunkEnd - start);
                end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data())
                         : chunkEnd;
                p.work.current.assign(text.substr(start, end - start));
                if (ApplyEach(p.rules, 0, p.work)) changedLine(start, end);
            }
            continue;
        }
        found.clear();
        p.matcher.Occurrences(searched, chunk, chunkEnd, [&](std::size_t at, int pattern) {
            found.push_back({static_cast<Index>(at - chunk), pattern});
        });
        for (std::size_t k = 0, next = 0; k < found.size(); k = next) {
            const std::size_t i = chunk + found[k].at;
            // Back to the line's start: no search text occurs between there and i.
            std::size_t start = i;
            while (start > chunk && text[start - 1] != '\n')
                --start;
            const void* lf = std::memchr(text.data() + i, '\n', chunkEnd - i);
            const std::size_t end =
                lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data())
                   : chunkEnd;
            for (next = k; next < found.size() && chunk + found[next].at < end; ++next)
                found[next].at -= static_cast<Index>(start - chunk);
            if (FilterLine(text.substr(start, end - start), found.data() + k, found.data() + next,
                           p.rules, p.searchAgain, p.matcher, p.work))
                changedLine(start, end);
        }
    }
    if (!changed) return false;
    out.append(text.substr(copied));
    return true;
}

std::optional<FilterRules> ReadFilterRules(const std::string& path) {
    std::optional<std::string> content = ReadFilterFile(path);
    if (!content) return std::nullopt;
    return FilterRules(*content);
}

std::string FieldOf(std::string_view text, std::string_view separator, int index) {
    std::string_view rest = text, field;
    for (int k = 0; k <= index; ++k) {
        const std::size_t p = separator.empty() ? 0 : rest.find(separator);
        field = p == std::string_view::npos ? rest : rest.substr(0, p);
        rest.remove_prefix(std::min(rest.size(), field.size() + separator.size()));
    }
    return std::string(field);
}

std::optional<std::string> ReadFilterFile(const std::string& path) {
    using Reason = EFilterFileRefused::Reason;
    if (!FileListed(path)) return std::nullopt;
    std::string content;
    try {
        FileOptions options;
        options.othersMayWrite = false;
        options.regularOnly = true;
        options.maxBytes = kMaxFilterFileBytes;
        content = ReadWholeFile(path, options);
    } catch (const EFileRefused& e) {
        ThrowRefused(path, e.GetReason() == EFileRefused::Reason::TooLarge ? Reason::TooLarge
                                                                           : Reason::NotAFile);
    } catch (const EInOutError& e) {
        throw Exception(FileNotOpenedMessage(FullPath(path), SystemErrorText(e.ErrorCode())));
    }
    if (content.find('\0') != std::string::npos) ThrowRefused(path, Reason::NulByte);
    return content;
}

bool ApplyFilterRules(std::string_view text, std::string_view rules, std::string& out) {
    return FilterRules(rules).Apply(text, out);
}

bool ApplyUserFilter(std::string_view text, const std::string& path, std::string& out) {
    const std::optional<std::string> content = ReadFilterFile(path);
    return content && ApplyFilterRules(text, *content, out);
}

}  // namespace qm
