#include "engine/LineList.h"

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstdint>

#include "engine/SjisBlocks.h"
#include "engine/Vector.h"
#ifdef QM_AVX2_KERNELS
#include "engine/Avx2.h"
#endif

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

namespace {

// From `from` on, by sixteen bytes at a time between line breaks.
void AppendLines(std::string_view text, std::size_t from, std::string& out) {
    const char* p = text.data() + from;
    const char* const end = text.data() + text.size();
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
}

#ifdef QM_AVX2_KERNELS
// The whole blocks of 64 bytes, as long as the byte after a block is there too and
// the block holds no NUL; the place where they end is returned. A byte that makes a line break of
// its own, an LF after no CR or a CR before no LF, becomes CR LF; the rest is copied.
QM_AVX2 std::size_t AppendLineBlocksAvx2(std::string_view text, std::string& out) {
    static const ByteSet crSet = ByteSet::Of('\r', '\r'), lfSet = ByteSet::Of('\n', '\n'),
                         nulSet = ByteSet::Of(0, 0);
    static const avx2::RowLookup toLf = [] {
        std::array<std::uint8_t, 256> lf{};
        std::array<bool, 256> breaks{};
        lf['\r'] = lf['\n'] = '\n';
        breaks['\r'] = breaks['\n'] = true;
        return avx2::RowLookup(lf, breaks);
    }();
    const ByteSetAvx2 crs(crSet), lfs(lfSet), nuls(nulSet);
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    std::uint8_t buffer[avx2::kStagedBytes + 3 * kBlockBytes];
    std::size_t used = 0, i = 0;
    std::uint64_t crBefore = 0;
    for (; n - i > kBlockBytes && nuls.Mask(p + i) == 0; i += kBlockBytes) {
        const std::uint64_t cr = crs.Mask(p + i), lf = lfs.Mask(p + i);
        const std::uint64_t lfAfter = lf >> 1 | std::uint64_t{p[i + kBlockBytes] == '\n'} << 63;
        const std::uint64_t own = (lf & ~(cr << 1 | crBefore)) | (cr & ~lfAfter);
        crBefore = cr >> 63;
        if (own == 0) {
            std::memcpy(buffer + used, p + i, kBlockBytes);
            used += kBlockBytes;
        } else {
            used = static_cast<std::size_t>(
                avx2::WidenBlock(p + i, own, '\r', toLf, buffer + used) - buffer);
        }
        avx2::AppendStaged(buffer, used, out, avx2::kStagedBytes);
    }
    avx2::AppendStaged(buffer, used, out);
    return i;
}
#endif

// Room for `more` bytes after out's; growing by at least half, so that appends one
// after the other copy each byte a bounded number of times.
void Room(std::string& out, std::size_t more) {
    if (out.capacity() - out.size() < more)
        out.reserve(std::max(out.size() + more, out.capacity() + out.capacity() / 2));
}

}  // namespace

void AppendTextForm(std::string_view text, std::string& out) {
    // Line breaks are a small part of most texts.
    Room(out, text.size() + text.size() / 16 + 2 * kBlock + 2);
    std::size_t from = 0;
#ifdef QM_AVX2_KERNELS
    if (ActiveVectorLevel() == VectorLevel::Avx2) {
        // The blocks look for a NUL themselves; the text ends at the first.
        from = AppendLineBlocksAvx2(text, out);
        text = text.substr(0, Find(text, '\0', from));
        // The LF of a CR LF split between the blocks and the rest.
        if (from > 0 && from < text.size() && text[from - 1] == '\r' && text[from] == '\n') {
            out += '\n';
            ++from;
        }
    }
#endif
    if (from == 0) text = text.substr(0, Find(text, '\0', 0));
    AppendLines(text, from, out);
    // A last line without a line break is a line all the same.
    if (!text.empty() && text.back() != '\r' && text.back() != '\n') out += "\r\n";
}

void LoadTextForm(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size() + text.size() / 16 + 2 * kBlock + 2);
    AppendTextForm(text, out);
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
