#include "engine/LineSteps.h"

#include <array>
#include <cstring>

#include "engine/Avx2.h"
#include "engine/Sjis.h"
#include "engine/SjisBlocks.h"
#include "engine/SjisScan.h"
#include "engine/TextServices.h"

namespace qm {

namespace {

constexpr std::uint8_t kFullWidthBlankLead = 0x81,
                       kFullWidthBlankTrail = 0x40;  // ideographic blank
constexpr char kFullStop[] = "\x81\x42";             // ideographic full stop

std::uint8_t Byte(std::string_view s, std::size_t i) {
    return static_cast<std::uint8_t>(s[i]);
}

}  // namespace

bool NormalizeLineBreaks(std::string_view text, std::string& out) {
    // CR and LF are never the second byte of a character, so a lead byte in front of
    // a line break does not hide it: the break is a break at the next load anyway.
    if (IsTextForm(text)) return false;
    out.clear();
    out.reserve(text.size() + text.size() / 32 + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out != text;
}

bool RemoveTags(std::string_view text, std::string& out) {
    // Like the search, tags are looked for only up to the first NUL.
    const std::string_view searched = text.substr(0, std::min(text.find('\0'), text.size()));
    out.clear();
    TagRemover remover;
    remover.Feed(searched, out);
    remover.Finish(out);
    if (out.size() == searched.size()) return false;  // tags only ever go
    out.append(text.substr(searched.size()));
    return true;
}

void TagRemover::Feed(std::string_view piece, std::string& out) {
    if (state_ == State::Stopped) {
        out.append(piece);
        return;
    }
    const std::size_t n = piece.size();
    StartFinder brackets(piece, ByteSet::Of("<>"), LeadByteSet());
    // The first ">" from `from` on that begins a character, or n.
    const auto closer = [&](std::size_t from) {
        std::size_t q = brackets.Next(from);
        while (q < n && piece[q] != '>')
            q = brackets.Next(q + 1);
        return q;
    };
    std::size_t start = 0;  // the rest begins here
    if (state_ == State::InTag) {
        const std::size_t q = closer(0);
        if (q == n) {
            held_.append(piece);
            return;
        }
        held_.clear();
        state_ = State::Outside;
        start = q + 1;
    }
    for (;;) {
        // The first "<" or ">" of the rest that begins a character.
        const std::size_t p = brackets.Next(start);
        if (p < n && piece[p] == '>') state_ = State::Stopped;  // a ">" before any "<"
        if (p == n || piece[p] == '>') break;
        out.append(piece.substr(start, p - start));
        const std::size_t q = closer(p + 1);
        if (q == n) {  // closed in a later piece, or never
            state_ = State::InTag;
            held_.assign(piece.substr(p));
            return;
        }
        start = q + 1;
    }
    out.append(piece.substr(start));
}

void TagRemover::Finish(std::string& out) {
    // A "<" that no ">" closes: the rest stays as it is.
    if (state_ == State::InTag) out.append(held_);
    held_.clear();
    state_ = State::Stopped;
}

bool EscapeAmpersands(std::string_view text, std::string& out) {
    return ReplaceAll(text, "&", "&amp;", false, out);
}

bool EscapeAngleBrackets(std::string_view text, std::string& out) {
    // "<" first, then ">": the entities hold neither and are single-byte text, so the
    // second pass finds the same ">" the text had and one pass does both.
    const std::string_view searched = text.substr(0, std::min(text.find('\0'), text.size()));
    StartFinder brackets(searched, ByteSet::Of("<>"), LeadByteSet());
    PieceWriter writer(text, out);
    bool replaced = false;
    std::size_t copied = 0;
    for (std::size_t c = brackets.Next(0); c < searched.size(); c = brackets.Next(c + 1)) {
        replaced = true;
        writer.Copy(copied, c);
        writer.Put(text[c] == '<' ? "&lt;" : "&gt;");
        copied = c + 1;
    }
    if (!replaced) return false;
    writer.Copy(copied, text.size());
    return true;
}

bool EscapeQuotes(std::string_view text, std::string& out) {
    return ReplaceAll(text, "\"", "&quot;", false, out);
}

bool SpellRomanNumerals(std::string_view text, std::string& out) {
    // Roman numerals one to ten are 87 54 to 87 5D. Every spelling is single-byte text, so a
    // character start stays a character start after a replacement and the ten replacements, one
    // after the other, come to one pass over the characters.
    static constexpr std::string_view kSpelling[10] = {"I",  "II",  "III",  "IV", "V",
                                                       "VI", "VII", "VIII", "IX", "X"};
    const std::string_view searched = text.substr(0, std::min(text.find('\0'), text.size()));
    StartFinder numerals(searched, ByteSet::Of(0x87, 0x87), LeadByteSet(), ByteSet::Of(0x54, 0x5D));
    PieceWriter writer(text, out);
    std::size_t copied = 0;
    for (std::size_t c = numerals.Next(0); c < searched.size(); c = numerals.Next(c + 2)) {
        writer.Copy(copied, c);
        writer.Put(kSpelling[Byte(text, c + 1) - 0x54]);
        copied = c + 2;
    }
    if (copied == 0) return false;
    writer.Copy(copied, text.size());
    return true;
}

bool AddListItemPrefix(std::string_view textForm, std::string& out) {
    const auto lower = LowerSingleBytes(Text());
    LineEnds ends(textForm);
    PieceWriter writer(textForm, out);
    bool added = false;
    std::size_t copied = 0;
    for (std::size_t start = 0; start < textForm.size();) {
        const std::size_t cr = ends.Next(start);
        if (!LowerEquals(textForm.substr(start, cr - start), 0, "<li>", lower)) {
            writer.Copy(copied, start);
            writer.Put("<li>");
            copied = start;
            added = true;
        }
        start = cr + 2;
    }
    if (!added) return false;
    writer.Copy(copied, textForm.size());
    return true;
}

#ifdef QM_AVX2_KERNELS
namespace {

// Half-width blanks alone, a block at a time: where blanks are common (a text whose
// full-width blanks were narrowed), a call to copy the text between them for every
// run costs more than rewriting the whole block. The first blank of a run becomes
// the tab; the rest of the run is left out.
QM_AVX2 bool BlankRunsToTabAvx2(std::string_view text, std::string& out) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    const ByteSetAvx2 lead(LeadByteSet());
    const __m256i blank = avx2::Splat(' '), tab = avx2::Splat('\t');
    PieceWriter writer(text, out);
    TrailBits trail;
    bool blankBefore = false;  // the byte before the block is a blank that begins a character
    std::size_t copied = 0, i = 0;
    for (; n - i >= kBlockBytes; i += kBlockBytes) {
        const __m256i halves[2] = {avx2::Load(p + i), avx2::Load(p + i + 32)};
        const std::uint64_t starts = ~trail.Next(lead.Mask(p + i));
        const std::uint64_t blanks =
            starts &
            (static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(halves[0], blank))) |
             static_cast<std::uint64_t>(static_cast<std::uint32_t>(
                 _mm256_movemask_epi8(_mm256_cmpeq_epi8(halves[1], blank))))
                 << 32);
        const std::uint64_t later = blanks & (blanks << 1 | (blankBefore ? 1 : 0));
        blankBefore = blanks >> 63 != 0;
        if (blanks == 0) continue;
        writer.Copy(copied, i);
        auto* w = reinterpret_cast<std::uint8_t*>(writer.Reserve(kBlockBytes + 16));
        std::uint8_t* end = w;
        for (int h = 0; h < 2; ++h) {
            const auto bits = static_cast<std::uint32_t>(blanks >> (32 * h));
            const __m256i v = _mm256_blendv_epi8(halves[h], tab, avx2::BitsToBytes(bits));
            end = avx2::StoreKept(end, v, ~static_cast<std::uint32_t>(later >> (32 * h)));
        }
        writer.Wrote(static_cast<std::size_t>(end - w));
        copied = i + kBlockBytes;
    }
    const LeadByteTable& leads = CodePageLeadBytes();
    for (bool second = trail.NextIsTrail(); i < n; ++i) {
        const std::uint8_t b = p[i];
        if (second || leads[b] || b != ' ') {
            second = !second && leads[b];
            blankBefore = false;
            continue;
        }
        writer.Copy(copied, i);
        if (!blankBefore) writer.Put('\t');
        copied = i + 1;
        blankBefore = true;
    }
    if (copied == 0) return false;
    writer.Copy(copied, n);
    return true;
}

}  // namespace
#endif

bool RunsToTab(std::string_view text, int mode, std::string& out) {
    if (mode < 1 || mode > 3) return false;
#ifdef QM_AVX2_KERNELS
    if (mode == 1 && ActiveVectorLevel() == VectorLevel::Avx2) return BlankRunsToTabAvx2(text, out);
#endif
    const bool halfWidth = mode == 1 || mode == 3;
    const bool fullWidth = mode == 2 || mode == 3;
    const bool tab = mode == 3;  // the third pass merges runs of tabs
    // Separators hold no line break, so a run never leaves its line, and a line starts
    // a character in the text form as it does on its own: the whole text form can be
    // done at once. A lead byte at the end of a line takes the CR here, but is no
    // separator either way.
    const std::size_t n = text.size();
    const LeadByteTable& lead = CodePageLeadBytes();
    auto separator = [&](std::size_t i) -> std::size_t {  // its length at character start i
        const std::uint8_t b = Byte(text, i);
        if (lead[b]) {
            return fullWidth && b == kFullWidthBlankLead && i + 1 < n &&
                           Byte(text, i + 1) == kFullWidthBlankTrail
                       ? 2
                       : 0;
        }
        return (halfWidth && b == ' ') || (tab && b == '\t') ? 1 : 0;
    };
    std::string opening;
    if (halfWidth) opening += ' ';
    if (tab) opening += '\t';
    if (fullWidth) opening += static_cast<char>(kFullWidthBlankLead);
    StartFinder runs(text, ByteSet::Of(opening), LeadByteSet());
    PieceWriter writer(text, out);
    bool replaced = false;
    std::size_t copied = 0;
    for (std::size_t i = runs.Next(0); i < n;) {
        std::size_t sep = separator(i);
        if (!sep) {
            i = runs.Next(i + 1);
            continue;
        }
        replaced = true;
        writer.Copy(copied, i);
        writer.Put('\t');
        // Separators are whole characters: a character begins after each.
        do {
            i += sep;
        } while (i < n && (sep = separator(i)) != 0);
        copied = i;
        i = runs.Next(i);
    }
    if (!replaced) return false;
    writer.Copy(copied, n);
    return true;
}

std::string_view TrimLineEnd(std::string_view line) {
    std::size_t n = line.size();
    while (n > 0 && Byte(line, n - 1) <= 0x20)
        --n;
    return line.substr(0, n);
}

bool TrimLineEnds(std::string_view text, std::string& out) {
    // Only lines that end in blanks are touched; the rest is copied in long pieces.
    LineEnds ends(text);
    PieceWriter writer(text, out);
    bool trimmed = false;
    std::size_t copied = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t cr = ends.Next(start);
        const std::size_t end = start + TrimLineEnd(text.substr(start, cr - start)).size();
        if (end < cr) {
            trimmed = true;
            writer.Copy(copied, end);
            copied = cr;
        }
        start = cr + 2;
    }
    if (!trimmed) return false;
    writer.Copy(copied, text.size());
    return true;
}

bool RemoveCommas(std::string_view text, std::string& out) {
    return ReplaceAll(text, ",", "", false, out);
}

bool ChangeCase(std::string_view text, int mode, std::string& out) {
    if (mode != 1 && mode != 2) return false;
    const TextServices& services = Text();
    return (mode == 1 ? services.LowerMap() : services.UpperMap())
        .ApplySameLength(text, services.LeadBytes(), out);
}

void LineJoiner::Join(std::string& text, std::size_t from) {
    const TextServices& services = Text();
    char* const d = text.data();
    const std::size_t n = text.size();
    // The open line's break, left at the end by the piece before, is where a break
    // goes when this piece's first line does not join it: writing the break at
    // `from` would overwrite the first two bytes of that line before they move.
    std::size_t w = started_ ? from - 2 : from;  // the joined lines end here
    std::size_t pos = from;                      // the next line to join begins here
    LineEnds ends(std::string_view(text).substr(from));
    // The line's bytes lie at or after w, where they go.
    auto put = [&](std::string_view line) {
        std::memmove(d + w, line.data(), line.size());
        w += line.size();
    };
    while (pos < n) {
        const std::size_t cr = from + ends.Next(pos - from);
        const std::string_view following(d + pos, cr - pos);
        pos = cr + 2;
        if (!started_ || joinNext_) {
            // The first line, or the line after an empty one: it joins whatever it
            // holds.
            started_ = true;
            joinNext_ = false;
            put(following);
            continue;
        }
        const std::string_view current(d + lineStart_, w - lineStart_);
        // The cheap half of the test first; the outcome is the same.
        if ((following.starts_with(' ') || following.starts_with("\x81\x40")) &&
            current.size() >= 2 &&
            services.EqualIgnoreCase(current.substr(current.size() - 2), kFullStop)) {
            // The break goes where the one before `following` was, or further ahead.
            d[w++] = '\r';
            d[w++] = '\n';
            lineStart_ = w;
            put(following);
        } else if (following.empty()) {
            joinNext_ = true;
        } else {
            put(following);
        }
    }
    text.resize(w);
    if (started_) text += "\r\n";
}

void LineJoiner::Finish(std::string&) {
    // The break after the last line is in place already.
    started_ = false;
    joinNext_ = false;
}

bool JoinLines(std::string_view text, std::string& out) {
    // The step only takes line breaks and empty lines out, so what the joiner writes
    // never overtakes what it reads: it joins the copy where it is.
    out.assign(text);
    LineJoiner joiner;
    joiner.Join(out, 0);
    joiner.Finish(out);
    return out.size() != text.size();
}

bool DeleteEmptyLines(std::string_view text, std::string& out) {
    // An empty line is a CR LF at the start of the text or right after another. The
    // lines between two empty ones are copied in one piece, and a text without an
    // empty line is not copied at all.
    LineEnds ends(text);
    PieceWriter writer(text, out);
    std::size_t kept = 0;  // the lines from here on are still to be copied
    for (std::size_t r = 0; r < text.size();) {
        const std::size_t cr = ends.Next(r);
        if (cr == r) {
            writer.Copy(kept, r);
            kept = r + 2;
        }
        r = cr + 2;
    }
    if (kept == 0) return false;
    writer.Copy(kept, text.size());
    return true;
}

}  // namespace qm
