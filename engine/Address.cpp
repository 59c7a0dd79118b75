#include "engine/Address.h"

#include "engine/Sjis.h"
#include "engine/SjisBlocks.h"
#include "engine/SjisScan.h"
#include "engine/TextServices.h"

namespace qm {

// Link redirectors that write the target address after their host and a slash:
// ime.nu (2channel's; ime.st shares the label), nun.nu and pinktower.com.
const std::array<std::string_view, 3> kRedirectorPatterns = {"/ime.", "/nun.", "/pinktower."};

namespace {

constexpr std::array<bool, 256> MakeAddressBytes() {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("!#$%&'()*+,-./0123456789:;=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ_"
                                         "abcdefghijklmnopqrstuvwxyz~"))
        table[static_cast<std::uint8_t>(c)] = true;
    return table;
}
constexpr std::array<bool, 256> kAddressBytes = MakeAddressBytes();

// The bytes a scheme of its own is spelt with ("svn+ssh", "rtmp", "file").
bool IsSchemeByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
}

bool IsHostByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

}  // namespace

// Scanning from the end, as the completion is defined, every "://" and every "www."
// is judged by the bytes in front of it alone, and the scheme letters a "://" takes
// over are never part of another "://" or "www.". So the same edits come out of a
// scan from the front, which appends instead of putting bytes in front.
//
// A scheme is repaired only where no word stands in front of what the repair takes:
// "file://", "ssh://", "rtmp://" and "svn+ssh://" are addresses of their own, and
// putting "http" before their "://" (or taking the "p" of "rtmp") corrupted them.
bool CompleteSchemes(std::string_view text, std::string& out) {
    const TextServices& services = Text();
    const auto lower = LowerSingleBytes(services);
    const std::size_t n = text.size();
    std::string opening = ":";  // bytes a "://" or a "www." begins with
    for (unsigned b = 0; b < 256; ++b) {
        if (lower[b] == 'w') opening.push_back(static_cast<char>(b));
    }
    ByteFinder finder(text, opening);
    BoundaryTracker boundary(text);
    // Asked only about the byte before a scheme, at rising indexes.
    BoundaryTracker wordEnd(text);
    out.clear();
    bool edited = false;
    std::size_t copied = 0;
    auto edit = [&](std::size_t from, std::size_t to, std::string_view insert) {
        if (!edited) out.reserve(n + n / 16 + 16);
        edited = true;
        out.append(text.substr(copied, from - copied));
        out.append(insert);
        copied = to;
    };
    for (std::size_t i = finder.Next(0); i < n; i = finder.Next(i + 1)) {
        if (text[i] == ':') {
            if (i + 2 >= n || text[i + 1] != '/' || text[i + 2] != '/' || !boundary.Peek(i))
                continue;
            // The letters in front of the colon that a scheme takes over must begin
            // where a character begins.
            std::size_t start = i;
            auto takes = [&](std::string_view fragment) {
                if (start < fragment.size()) return false;
                const std::size_t s = start - fragment.size();
                if (!LowerEquals(text, s, fragment, lower) || !boundary.Peek(s)) return false;
                start = s;
                return true;
            };
            std::string_view scheme = "http";
            if (takes("ftp")) {
                scheme = "ftp";
            } else if (takes("https")) {
                scheme = "https";
            } else {
                takes("http");
                takes("ttp");
                takes("tp");
                takes("p");
            }
            const bool ownScheme =
                start > 0 && IsSchemeByte(text[start - 1]) && wordEnd.IsBoundary(start - 1);
            if (!ownScheme) edit(start, i, scheme);
            i += 2;
            boundary.Restart(i + 1);
        } else if (LowerEquals(text, i, "www.", lower) && boundary.IsBoundary(i)) {
            const bool afterSlashes = i >= 2 && text[i - 2] == '/' && text[i - 1] == '/';
            const bool afterAddress =
                i >= 1 && kAddressBytes[static_cast<std::uint8_t>(text[i - 1])];
            if (!afterSlashes && !afterAddress) edit(i, i, "http://");
            i += 3;
            boundary.Restart(i + 1);
        }
    }
    if (!edited) return false;
    out.append(text.substr(copied));
    return true;
}

bool RemoveRedirector(std::string_view pattern, std::string_view text, std::string& out) {
    if (pattern.empty()) return false;
    const TextServices& services = Text();
    const auto lower = LowerSingleBytes(services);
    // The bytes that are c in small letters.
    const auto lowered = [&](char c) {
        std::array<bool, 256> bytes{};
        for (unsigned b = 0; b < 256; ++b)
            bytes[b] = lower[b] == static_cast<std::uint8_t>(c);
        return ByteSet(bytes);
    };
    std::string_view current = text;
    std::string scratch;
    bool removedAny = false;
    for (int passes = 0; passes < 10; ++passes) {
        // The first occurrence in the lower-cased text that begins a character and
        // whose host name goes on to a "/". The pattern begins with "/", which has no
        // letter case.
        const std::size_t limit = std::min(current.find('\0'), current.size());
        const std::string_view searched = current.substr(0, limit);
        StartFinder found =
            pattern.size() > 1
                ? StartFinder(searched, lowered(pattern[0]), LeadByteSet(), lowered(pattern[1]))
                : StartFinder(searched, lowered(pattern[0]), LeadByteSet());
        std::string_view host;
        for (std::size_t c = found.Next(0); c < limit; c = found.Next(c + 1)) {
            if (pattern.size() > limit - c || !LowerEquals(current, c, pattern, lower)) continue;
            std::size_t end = c + pattern.size();
            while (end < current.size() && IsHostByte(current[end]))
                ++end;
            if (end < current.size() && current[end] == '/') {
                host = current.substr(c, end - c);
                break;
            }
            c = end - 1;
        }
        if (host.empty()) break;
        // Only the host goes, and only where a "/" follows it; the case of the
        // pattern's letters must match too.
        const std::string removed =
            std::string(pattern) + std::string(host.substr(pattern.size())) + "/";
        if (!ReplaceAll(current, removed, "/", false, scratch)) continue;
        out.swap(scratch);
        current = out;
        removedAny = true;
    }
    return removedAny;
}

bool MayHoldRedirectors(std::string_view text) {
    static const std::array<std::uint8_t, 256> lower = LowerSingleBytes(Text());
    for (std::size_t at = text.find('/'); at != std::string_view::npos;
         at = text.find('/', at + 1)) {
        for (const std::string_view pattern : kRedirectorPatterns) {
            if (LowerEquals(text, at, pattern, lower)) return true;
        }
    }
    return false;
}

}  // namespace qm
