#include "engine/LineList.h"

#include <algorithm>

namespace qm {

namespace {

std::size_t Find(std::string_view s, char c, std::size_t from) {
    const void* hit = std::memchr(s.data() + from, c, s.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - s.data()) : s.size();
}

}  // namespace

bool IsTextForm(std::string_view text) {
    if (text.empty()) return true;
    if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n") return false;
    // Every CR followed by an LF and every LF preceded by a CR, and no NUL: one pass
    // without branches, which the compiler turns into vector code.
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    unsigned bad = p[0] == '\n' || p[0] == 0;
    for (std::size_t i = 1; i < n; ++i)
        bad |= static_cast<unsigned>((p[i - 1] == '\r') != (p[i] == '\n')) | (p[i] == 0);
    return bad == 0;
}

void LineList::Load(std::string_view text) {
    text = text.substr(0, Find(text, '\0', 0));
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    const std::size_t n = text.size();
    std::size_t nextCr = Find(text, '\r', 0), nextLf = Find(text, '\n', 0);
    std::size_t i = 0;
    while (i < n) {
        if (nextCr < i) nextCr = Find(text, '\r', i);
        if (nextLf < i) nextLf = Find(text, '\n', i);
        const std::size_t e = std::min(nextCr, nextLf);
        out.append(text.data() + i, e - i);
        out += "\r\n";
        if (e == n) break;
        i = e;
        if (text[i] == '\r') ++i;
        if (i < n && text[i] == '\n') ++i;
    }
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
