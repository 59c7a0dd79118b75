#include "engine/LineList.h"

#include <algorithm>
#include <cstdint>

namespace qm {

namespace {

constexpr std::size_t kBlock = 64 * 1024;

// Whether any of the eight bytes of v is c.
bool HasByte(std::uint64_t v, char c) {
    const std::uint64_t x = v ^ (0x0101010101010101ull * static_cast<unsigned char>(c));
    return ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) != 0;
}

std::size_t Find(std::string_view s, char c, std::size_t from) {
    const void* hit = std::memchr(s.data() + from, c, s.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - s.data()) : s.size();
}

}  // namespace

bool IsTextForm(std::string_view text) {
    if (text.empty()) return true;
    if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n") return false;
    if (std::memchr(text.data(), '\0', text.size())) return false;
    std::size_t crs = 0, lfs = 0;
    for (std::size_t i = Find(text, '\r', 0); i < text.size(); i = Find(text, '\r', i + 1)) {
        if (i + 1 >= text.size() || text[i + 1] != '\n') return false;
        ++crs;
    }
    for (std::size_t i = Find(text, '\n', 0); i < text.size(); i = Find(text, '\n', i + 1))
        ++lfs;
    return crs == lfs;
}

void LineList::Load(std::string_view text) {
    text = text.substr(0, Find(text, '\0', 0));
    std::string out;
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
            while (blockEnd - p >= 8) {
                std::uint64_t v;
                std::memcpy(&v, p, 8);
                if (HasByte(v, '\r') || HasByte(v, '\n')) break;
                std::memcpy(w, &v, 8);
                p += 8;
                w += 8;
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
    text_ = std::move(out);
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
    // An empty line is a CR LF at the start of the text or right after another.
    std::size_t w = 0;
    for (std::size_t r = 0; r < text_.size();) {
        const std::size_t end = Find(text_, '\r', r) + 2;
        if (end - r > 2) {
            if (w != r) std::memmove(text_.data() + w, text_.data() + r, end - r);
            w += end - r;
        }
        r = end;
    }
    text_.resize(w);
}

}  // namespace qm
