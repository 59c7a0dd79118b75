#include "engine/UserFilter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "base/File.h"
#include "base/Messages.h"
#include "base/Path.h"
#include "engine/LineList.h"
#include "engine/Sjis.h"
#include "engine/StepForms.h"

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

struct Rule {
    std::string search, replacement;
};

// The rules of a filter file, in file order; rules with an empty search text change
// nothing and are left out.
std::vector<Rule> ParseRules(std::string_view content) {
    std::vector<Rule> rules;
    const LineList lines(content);
    lines.ForEachLine([&](std::string_view line) {
        if (line.empty() || line[0] == '#') return;
        Rule rule{FieldOf(line, "\t", 0), FieldOf(line, "\t", 1)};
        if (!rule.search.empty()) rules.push_back(std::move(rule));
    });
    return rules;
}

// Which rules can match in a line at all. Every search text is looked for as bytes:
// search texts are filed by a hash of their first bytes (up to four), and a bitmap of
// those hashes tells, for a position of the line, in two table reads whether any
// search text may start there. Only then are the filed texts compared.
//
// Search texts never hold a line break, so a match never crosses one, and the
// character walk starts afresh after every LF (LF is no lead byte, and no second
// byte either, since a CR or LF comes before it): each line can be filtered on its
// own, and a line in which no search text occurs, as bytes, is left as it is by
// every rule.
class RuleIndex {
  public:
    explicit RuleIndex(const std::vector<Rule>& rules) {
        std::map<std::string_view, int> ids;
        for (std::size_t r = 0; r < rules.size(); ++r) {
            const auto [it, added] =
                ids.emplace(rules[r].search, static_cast<int>(patterns_.size()));
            if (added) {
                patterns_.push_back(rules[r].search);
                rulesOfPattern_.emplace_back();
            }
            rulesOfPattern_[static_cast<std::size_t>(it->second)].push_back(static_cast<int>(r));
        }
        for (std::size_t k = 0; k < kKeyBytes; ++k)
            filings_[k].keyBytes = k + 1;
        for (std::size_t id = 0; id < patterns_.size(); ++id) {
            const std::string_view p = patterns_[id];
            Filing& f = filings_[std::min<std::size_t>(p.size(), kKeyBytes) - 1];
            if (f.bucketStart.empty()) f.bucketStart.assign(kBuckets + 1, 0);
            ++f.bucketStart[Hash(Key(p.data(), f.keyBytes)) + 1];
        }
        for (Filing& f : filings_) {
            if (f.bucketStart.empty()) continue;
            for (std::size_t k = 0; k < kBuckets; ++k) {
                if (f.bucketStart[k + 1]) f.bitmap[k / 64] |= std::uint64_t{1} << (k % 64);
                f.bucketStart[k + 1] += f.bucketStart[k];
            }
            f.ids.resize(f.bucketStart[kBuckets]);
            f.keys.resize(f.bucketStart[kBuckets]);
            active_.push_back(&f);
        }
        std::vector<std::uint32_t> filled(kBuckets * kKeyBytes, 0);
        for (std::size_t id = 0; id < patterns_.size(); ++id) {
            const std::string_view p = patterns_[id];
            const std::size_t c = std::min<std::size_t>(p.size(), kKeyBytes) - 1;
            Filing& f = filings_[c];
            const std::uint32_t h = Hash(Key(p.data(), f.keyBytes));
            const std::size_t slot = f.bucketStart[h] + filled[c * kBuckets + h]++;
            f.ids[slot] = static_cast<int>(id);
            f.keys[slot] = Key(p.data(), f.keyBytes);
        }
        seen_.assign(patterns_.size(), 0);
    }

    // Before FirstMatch looks at a new text.
    void StartText() {
        for (Filing* f : active_)
            f->nextKnown = false;
    }

    // The first index from `from` on at which some search text occurs in text, as
    // bytes, or npos. `from` must not decrease between calls on one text.
    std::size_t FirstMatch(std::string_view text, std::size_t from) {
        std::size_t first = std::string_view::npos;
        for (Filing* f : active_) {
            if (!f->nextKnown || f->next < from) {
                f->nextKnown = true;
                switch (f->keyBytes) {
                    case 1:
                        f->next = FindFrom<1>(*f, text, from);
                        break;
                    case 2:
                        f->next = FindFrom<2>(*f, text, from);
                        break;
                    case 3:
                        f->next = FindFrom<3>(*f, text, from);
                        break;
                    default:
                        f->next = FindFrom<4>(*f, text, from);
                        break;
                }
            }
            first = std::min(first, f->next);
        }
        return first;
    }

    // The rules after rule `after` whose search text occurs in line, ascending.
    void Candidates(std::string_view line, int after, std::vector<int>& out) {
        out.clear();
        ++scan_;
        for (const Filing* f : active_) {
            switch (f->keyBytes) {
                case 1:
                    Scan<1>(*f, line, after, out);
                    break;
                case 2:
                    Scan<2>(*f, line, after, out);
                    break;
                case 3:
                    Scan<3>(*f, line, after, out);
                    break;
                default:
                    Scan<4>(*f, line, after, out);
                    break;
            }
        }
        if (out.size() > 1) std::sort(out.begin(), out.end());
    }

  private:
    static constexpr std::size_t kKeyBytes = 4, kHashBits = 16, kBuckets = 1 << kHashBits;

    struct Filing {
        std::size_t keyBytes = 0;  // search texts of this length, or longer for the last
        std::array<std::uint64_t, kBuckets / 64> bitmap{};
        std::vector<std::uint32_t> bucketStart;  // search texts by hash
        std::vector<int> ids;
        std::vector<std::uint32_t> keys;  // the first bytes of each, as read by Key
        std::size_t next = 0;             // FirstMatch's last answer for this filing
        bool nextKnown = false;
    };

    // Calls found(index, pattern id) for every occurrence from `from` on until it
    // returns true.
    template <std::size_t KeyBytes, typename Found>
    static void Occurrences(const Filing& f, const std::vector<std::string_view>& patterns,
                            std::string_view text, std::size_t from, Found found) {
        const char* t = text.data();
        const std::size_t n = text.size();
        if (n < KeyBytes) return;
        for (std::size_t i = from; i <= n - KeyBytes; ++i) {
            const std::uint32_t key = Key(t + i, KeyBytes);
            const std::uint32_t h = Hash(key);
            if (!(f.bitmap[h / 64] >> (h % 64) & 1)) continue;
            for (std::uint32_t k = f.bucketStart[h]; k < f.bucketStart[h + 1]; ++k) {
                if (f.keys[k] != key) continue;
                // The rest of a search text is short: compared without a call.
                const std::string_view p = patterns[static_cast<std::size_t>(f.ids[k])];
                if (p.size() > n - i) continue;
                std::size_t m = KeyBytes;
                while (m < p.size() && t[i + m] == p[m])
                    ++m;
                if (m == p.size() && found(i, f.ids[k])) return;
            }
        }
    }

    template <std::size_t KeyBytes>
    std::size_t FindFrom(const Filing& f, std::string_view text, std::size_t from) const {
        std::size_t at = std::string_view::npos;
        Occurrences<KeyBytes>(f, patterns_, text, from, [&](std::size_t i, int) {
            at = i;
            return true;
        });
        return at;
    }

    template <std::size_t KeyBytes>
    void Scan(const Filing& f, std::string_view line, int after, std::vector<int>& out) {
        Occurrences<KeyBytes>(f, patterns_, line, 0, [&](std::size_t, int id) {
            Found(id, after, out);
            return false;
        });
    }

    static std::uint32_t Key(const char* p, std::size_t bytes) {
        std::uint32_t key = 0;
        std::memcpy(&key, p, bytes);
        return key;
    }
    static std::uint32_t Hash(std::uint32_t key) { return (key * 0x9E3779B1u) >> (32 - kHashBits); }

    void Found(int id, int after, std::vector<int>& out) {
        if (seen_[static_cast<std::size_t>(id)] == scan_) return;
        seen_[static_cast<std::size_t>(id)] = scan_;
        const auto& rules = rulesOfPattern_[static_cast<std::size_t>(id)];
        out.insert(out.end(), std::upper_bound(rules.begin(), rules.end(), after), rules.end());
    }

    std::vector<std::string_view> patterns_;        // distinct search texts
    std::vector<std::vector<int>> rulesOfPattern_;  // rule indexes, ascending
    std::array<Filing, kKeyBytes> filings_;
    std::vector<Filing*> active_;
    std::vector<std::uint64_t> seen_;
    std::uint64_t scan_ = 0;
};

// The rules applied to one line, given the rules whose search text occurs in it;
// false when no rule changed it.
// Whether p, shifted against r, can share bytes with r: some overlap of the two,
// at least one byte long, in which they agree.
bool CanOverlap(std::string_view p, std::string_view r) {
    const auto plen = static_cast<std::ptrdiff_t>(p.size());
    const auto rlen = static_cast<std::ptrdiff_t>(r.size());
    for (std::ptrdiff_t shift = 1 - plen; shift < rlen; ++shift) {
        const std::ptrdiff_t from = std::max<std::ptrdiff_t>(0, shift);
        const std::ptrdiff_t to = std::min(rlen, shift + plen);
        std::ptrdiff_t k = from;
        while (k < to && r[static_cast<std::size_t>(k)] == p[static_cast<std::size_t>(k - shift)])
            ++k;
        if (k == to) return true;
    }
    return false;
}

// For each rule, whether a line it changed must be searched again. A search text
// that newly occurs after a replacement shares bytes with an inserted replacement,
// or spans the place of a deletion; every other occurrence was there before and is
// among the candidates already. Pairs of rules are compared once per run, so only
// for files of moderate size; beyond that every change leads to a new search.
std::vector<bool> SearchAgainAfter(const std::vector<Rule>& rules) {
    constexpr std::size_t kMaxRulesCompared = 1000;
    std::vector<bool> again(rules.size(), true);
    if (rules.size() > kMaxRulesCompared) return again;
    for (std::size_t r = 0; r < rules.size(); ++r) {
        if (rules[r].replacement.empty()) continue;
        bool any = false;
        for (std::size_t q = r + 1; q < rules.size() && !any; ++q)
            any = CanOverlap(rules[q].search, rules[r].replacement);
        again[r] = any;
    }
    return again;
}

bool FilterLine(std::string_view line, const std::vector<Rule>& rules,
                const std::vector<bool>& searchAgain, RuleIndex& matcher,
                std::vector<int>& candidates, std::string& current, std::string& replaced) {
    current.assign(line);
    bool changed = false;
    for (std::size_t k = 0; k < candidates.size();) {
        const auto r = static_cast<std::size_t>(candidates[k]);
        if (!ReplaceAll(current, rules[r].search, rules[r].replacement, false, replaced)) {
            ++k;  // the bytes occur, but not where a character starts, or no longer
            continue;
        }
        current.swap(replaced);
        changed = true;
        if (searchAgain[r]) {
            matcher.Candidates(current, candidates[k], candidates);
            k = 0;
        } else {
            ++k;
        }
    }
    return changed;
}

}  // namespace

struct FilterRules::Prepared {
    explicit Prepared(std::vector<Rule> r)
        : rules(std::move(r)), matcher(rules), searchAgain(SearchAgainAfter(rules)) {}
    const std::vector<Rule> rules;
    RuleIndex matcher;  // refers to the rules' search texts
    const std::vector<bool> searchAgain;
    std::string current, replaced;
    std::vector<int> candidates;
};

FilterRules::FilterRules(std::string_view content) {
    std::vector<Rule> rules = ParseRules(content);
    if (!rules.empty()) prepared_ = std::make_unique<Prepared>(std::move(rules));
}

FilterRules::~FilterRules() = default;
FilterRules::FilterRules(FilterRules&&) noexcept = default;
FilterRules& FilterRules::operator=(FilterRules&&) noexcept = default;

bool FilterRules::Apply(std::string_view text, std::string& out) {
    if (!prepared_) return false;
    const std::vector<Rule>& rules = prepared_->rules;
    RuleIndex& matcher = prepared_->matcher;
    matcher.StartText();
    // Nothing is replaced after the first NUL.
    const std::size_t limit = std::min(text.find('\0'), text.size());
    out.clear();
    std::string& current = prepared_->current;
    std::string& replaced = prepared_->replaced;
    std::vector<int>& candidates = prepared_->candidates;
    bool changed = false;
    std::size_t copied = 0;
    const std::string_view searched = text.substr(0, limit);
    for (std::size_t i = matcher.FirstMatch(searched, 0); i < limit;
         i = matcher.FirstMatch(searched, i)) {
        std::size_t start = i;
        while (start > 0 && text[start - 1] != '\n')
            --start;
        const void* lf = std::memchr(text.data() + i, '\n', limit - i);
        const std::size_t end =
            lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) : limit;
        const std::string_view line = text.substr(start, end - start);
        matcher.Candidates(line, -1, candidates);
        if (FilterLine(line, rules, prepared_->searchAgain, matcher, candidates, current,
                       replaced)) {
            if (!changed) out.reserve(text.size() + text.size() / 8);
            changed = true;
            out.append(text.substr(copied, start - copied));
            out.append(current);
            copied = end;
        }
        i = end + 1;
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

std::string ApplyFilterRules(std::string_view text, std::string_view rules) {
    return ResultOf(text, [rules](std::string_view t, std::string& o) {
        return ApplyFilterRules(t, rules, o);
    });
}

std::string ApplyUserFilter(std::string_view text, const std::string& path) {
    return ResultOf(
        text, [&path](std::string_view t, std::string& o) { return ApplyUserFilter(t, path, o); });
}

}  // namespace qm
