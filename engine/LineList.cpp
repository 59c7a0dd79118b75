#include "engine/LineList.h"

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstdint>

#include "engine/SjisBlocks.h"

namespace qm {

namespace {

constexpr std::size_t kBlock = 64 * 1024;

constexpr std::size_t kChunk = 16;

// Offset of the first CR or LF among the kChunk bytes at p, kChunk when there is none.
std::size_t FirstBreak(const char* p) {
#ifdef __SSE2__
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                                    _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
    return mask ? static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) : kChunk;
#else
    for (std::size_t i = 0; i < kChunk; ++i) {
        if (p[i] == '\r' || p[i] == '\n') return i;
    }
    return kChunk;
#endif
}

std::size_t Find(std::string_view s, char c, std::size_t from) {
    const void* hit = std::memchr(s.data() + from, c, s.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - s.data()) : s.size();
}

}  // namespace

bool IsTextForm(std::string_view text) {
    if (text.empty()) return true;
    if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n" || text[0] == '\n') return false;
    if (std::memchr(text.data(), '\0', text.size())) return false;
    // A CR exactly where an LF follows, compared sixteen positions at a time.
    const char* p = text.data();
    const std::size_t last = text.size() - 1;  // positions 0 .. last - 1 have a next byte
    std::size_t i = 0;
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    __m128i mismatch = _mm_setzero_si128();
    for (; i + 16 <= last; i += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        mismatch = _mm_or_si128(mismatch,
                                _mm_xor_si128(_mm_cmpeq_epi8(here, cr), _mm_cmpeq_epi8(next, lf)));
    }
    if (_mm_movemask_epi8(mismatch) != 0) return false;
#endif
    for (; i < last; ++i) {
        if ((p[i] == '\r') != (p[i + 1] == '\n')) return false;
    }
    return true;
}

void LineList::Load(std::string_view text) {
    std::string out;
    LoadTextForm(text, out);
    text_ = std::move(out);
}

void LoadTextForm(std::string_view text, std::string& out) {
    text = text.substr(0, Find(text, '\0', 0));
    out.clear();
    out.reserve(text.size() + text.size() / 16 + 2 * kBlock + 2);
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        // Each input byte gives at most two output bytes: room for a whole block.
        const char* const blockEnd =
            p + std::min<std::size_t>(static_cast<std::size_t>(end - p), kBlock);
        const std::size_t used = out.size();
        out.resize(used + 2 * static_cast<std::size_t>(blockEnd - p));
        char* w = out.data() + used;
        while (p < blockEnd) {
            while (static_cast<std::size_t>(blockEnd - p) >= kChunk) {
                // A whole chunk is copied either way; only the bytes before a break count.
                const std::size_t n = FirstBreak(p);
                std::memcpy(w, p, kChunk);
                p += n;
                w += n;
                if (n < kChunk) break;
            }
            if (p == blockEnd) break;
            const char c = *p++;
            if (c == '\r' || c == '\n') {
                *w++ = '\r';
                *w++ = '\n';
                if (c == '\r' && p < end && *p == '\n') ++p;
            } else {
                *w++ = c;
            }
        }
        out.resize(static_cast<std::size_t>(w - out.data()));
    }
    // A last line without a line break is a line all the same.
    if (!text.empty() && text.back() != '\r' && text.back() != '\n') out += "\r\n";
}

void LineList::Load(std::string&& text) {
    if (IsTextForm(text)) {
        text_ = std::move(text);
    } else {
        Load(std::string_view(text));
    }
}

std::size_t LineList::Count() const {
    return static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n'));
}

std::vector<std::string> LineList::Lines() const {
    std::vector<std::string> lines;
    ForEachLine([&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

void LineList::DeleteEmptyLines() {
    // An empty line is a CR LF at the start of the text or right after another. The
    // lines between two empty ones move in one piece.
    char* const d = text_.data();
    std::size_t w = 0, kept = 0;  // the lines from `kept` on are still to move to w
    LineEnds ends(text_);
    for (std::size_t r = 0; r < text_.size();) {
        const std::size_t cr = ends.Next(r);
        if (cr == r) {
            std::memmove(d + w, d + kept, r - kept);
            w += r - kept;
            kept = r + 2;
        }
        r = cr + 2;
    }
    std::memmove(d + w, d + kept, text_.size() - kept);
    text_.resize(w + text_.size() - kept);
}

}  // namespace qm
