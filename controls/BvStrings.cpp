#include "controls/BvStrings.h"

#include <algorithm>
#include <cstring>

#include "base/Exception.h"
#include "framework/FileStream.h"
#include "framework/Messages.h"

namespace qm {

// "the index exceeds the range of the list"
const char kBvRangeErrorMessage[] =
    "\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4e\x83\x58\x82\xaa\x83\x8a\x83\x58\x83\x67\x82\xcc"
    "\x94\xcd\x88\xcd\x82\xf0\x92\xb4\x82\xa6\x82\xc4\x82\xa2\x82\xdc\x82\xb7";

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringAsciiCase(const char* a, const char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// Slots to reserve for an input of this many bytes.
std::int32_t SlotsFor(std::int64_t bytes) {
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(bytes / TBvStrings::kBytesPerSlot, TBvStrings::kMaxSlots));
}

}  // namespace

void TBvStrings::Error() const {
    throw Exception(kBvRangeErrorMessage);
}

// Slots and lines

const std::string& TBvStrings::Get(std::int32_t index) const {
    Check(index, count_);
    return Slot(index);
}

void TBvStrings::Put(std::int32_t index, std::string s) {
    Check(index, count_);
    Slot(index) = std::move(s);
}

void TBvStrings::Grow() {
    // A fixed step: the slot count is what callers see; the vector underneath still
    // reallocates geometrically, so appending stays linear overall.
    SetCapacity(std::min(capacity_ + kGrowth, kMaxSlots));
    if (count_ == capacity_) Error();
}

std::int32_t TBvStrings::Add(std::string s) {
    if (count_ == capacity_) Grow();
    Slot(count_) = std::move(s);
    return count_++;
}

void TBvStrings::Insert(std::int32_t index, std::string s) {
    Check(index, count_ + 1);
    if (count_ == capacity_) Grow();
    const auto at = items_.begin() + index;
    std::move_backward(at, items_.begin() + count_, items_.begin() + count_ + 1);
    *at = std::move(s);
    ++count_;
}

void TBvStrings::Delete(std::int32_t index) {
    Check(index, count_);
    const auto at = items_.begin() + index;
    std::move(at + 1, items_.begin() + count_, at);
    --count_;
    Slot(count_).clear();
    Slot(count_).shrink_to_fit();
}

void TBvStrings::Exchange(std::int32_t index1, std::int32_t index2) {
    Check(index1, count_);
    Check(index2, count_);
    if (index1 != index2) std::swap(Slot(index1), Slot(index2));
}

void TBvStrings::Clear() {
    if (capacity_ <= 0) return;
    std::vector<std::string>().swap(items_);
    count_ = 0;
    capacity_ = 0;
}

void TBvStrings::SetCount(std::int32_t n) {
    if (n < 0 || n > kMaxSlots) Error();
    if (n > capacity_) SetCapacity(n);
    for (std::int32_t i = n; i < count_; ++i)
        std::string().swap(Slot(i));
    count_ = n;
}

void TBvStrings::SetCapacity(std::int32_t n) {
    if (n > kMaxSlots || n < count_) Error();
    if (n == capacity_) return;
    items_.resize(static_cast<std::size_t>(n));
    if (n < capacity_) items_.shrink_to_fit();
    capacity_ = n;
}

// Whole text and comma text

std::string TBvStrings::GetText() const {
    std::size_t size = 0;
    for (std::int32_t i = 0; i < count_; ++i)
        size += Slot(i).size() + 2;
    std::string text;
    text.reserve(size);
    for (std::int32_t i = 0; i < count_; ++i) {
        text += Slot(i);
        text += "\r\n";
    }
    return text;
}

void TBvStrings::SetText(std::string_view text) {
    Clear();
    SetCapacity(SlotsFor(static_cast<std::int64_t>(text.size())));
    // The text ends at its first NUL, as a C string would.
    const std::size_t end = std::min(text.find('\0'), text.size());
    std::size_t p = 0;
    while (p < end) {
        std::size_t stop = p;
        while (stop < end && text[stop] != '\r' && text[stop] != '\n')
            ++stop;
        Add(std::string(text.substr(p, stop - p)));
        p = stop;
        if (p < end && text[p] == '\r') ++p;
        if (p < end && text[p] == '\n') ++p;
    }
    SetCapacity(count_);
}

std::string TBvStrings::GetCommaText() const {
    std::string text;
    for (std::int32_t i = 0; i < count_; ++i) {
        const std::string& line = Slot(i);
        const bool quote = line.find_first_of(" ,") != std::string::npos;
        if (quote) text += '"';
        text += line;
        if (quote) text += '"';
        text += ',';
    }
    if (!text.empty()) text.pop_back();
    return text;
}

void TBvStrings::SetCommaText(std::string_view text) {
    Clear();
    std::size_t p = 0;
    while (p < text.size()) {
        const bool quoted = text[p] == '"';
        if (quoted) ++p;
        std::size_t stop = p;
        while (stop < text.size()) {
            const char c = text[stop];
            if (c == '\r' || c == '\0' || c == '"' || (!quoted && c == ',')) break;
            ++stop;
        }
        Add(std::string(text.substr(p, stop - p)));
        // Past the stop byte, and for a quoted item past the separator after its quote.
        p = stop + 1 + (quoted ? 1 : 0);
    }
}

// Files and streams

void TBvStrings::LoadFromFile(const std::string& fileName) {
    Clear();
    TFileStream file(fileName, fmOpenRead);
    try {
        SetCapacity(SlotsFor(file.Size()));
        std::string line;
        bool inLine = false;  // a line has begun: EOF or 0x1A now still ends it as a line
        bool ended = false;
        std::vector<char> buffer(64 * 1024);
        while (!ended) {
            const std::size_t got = file.Read(buffer.data(), buffer.size());
            if (got == 0) break;
            const char* p = buffer.data();
            const char* const end = p + got;
            while (p < end) {
                const char* stop = p;
                while (stop < end && *stop != '\n' && *stop != '\r' && *stop != '\x1a')
                    ++stop;
                if (stop > p) {
                    line.append(p, stop);
                    inLine = true;
                }
                if (stop == end) break;
                if (*stop == '\x1a') {
                    ended = true;
                    break;
                }
                if (*stop == '\n') {
                    Add(std::move(line));
                    line.clear();
                    inLine = false;
                } else {
                    inLine = true;  // a CR is dropped, but the line has begun
                }
                p = stop + 1;
            }
        }
        if (inLine) Add(std::move(line));
    } catch (const std::exception&) {
        SetCapacity(count_);
        throw;
    }
    SetCapacity(count_);
}

void TBvStrings::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, fmCreate);
    std::string buffer;
    constexpr std::size_t kFlushAt = 64 * 1024;
    buffer.reserve(kFlushAt);
    for (std::int32_t i = 0; i < count_; ++i) {
        buffer += Slot(i);
        buffer += "\r\n";
        if (buffer.size() >= kFlushAt) {
            file.Write(buffer.data(), buffer.size());
            buffer.clear();
        }
    }
    if (!buffer.empty()) file.Write(buffer.data(), buffer.size());
}

void TBvStrings::SaveToStream(TStream& stream) const {
    const std::string text = GetText();
    if (stream.Write(text.data(), text.size()) != text.size()) throw Exception(kStreamWriteMessage);
}

void TBvStrings::LoadFromStream(TStream& stream) {
    Clear();
    const std::int64_t size = stream.Size();
    const std::int64_t position = stream.Position();
    if (size == position) return;
    std::string text(static_cast<std::size_t>(std::max<std::int64_t>(size - position, 0)), '\0');
    if (stream.Read(text.data(), text.size()) != text.size()) throw Exception(kStreamReadMessage);
    SetText(text);
}

// Lookup

std::int32_t TBvStrings::IndexOf(std::string_view s) const {
    for (std::int32_t i = 0; i < count_; ++i) {
        if (Slot(i) == s) return i;
    }
    return -1;
}

bool TBvStrings::Search(std::string_view pattern, std::int32_t& line, std::int32_t& column) const {
    if (pattern.empty()) return false;
    const char lower = AsciiLower(pattern[0]);
    const char upper = AsciiUpper(pattern[0]);
    if (line < 0) line = 0;
    const auto n = static_cast<std::int64_t>(pattern.size());
    while (line < count_) {
        if (column <= 0) column = 1;
        const std::string& text = Slot(line);
        const std::int64_t last = static_cast<std::int64_t>(text.size()) - n + 1;
        for (std::int64_t c = column; c <= last; ++c) {
            const char b = text[static_cast<std::size_t>(c - 1)];
            if ((b == lower || b == upper) &&
                SameIgnoringAsciiCase(text.data() + c - 1, pattern.data(), pattern.size())) {
                column = static_cast<std::int32_t>(c);
                return true;
            }
        }
        column = 1;
        ++line;
    }
    return false;
}

// Other lists

void TBvStrings::AddStrings(const TStrings& list) {
    const std::int64_t wanted = static_cast<std::int64_t>(count_) + list.Count();
    if (wanted > kMaxSlots) Error();
    SetCapacity(static_cast<std::int32_t>(wanted));
    for (int i = 0; i < list.Count(); ++i)
        Add(list.Get(i));
}

void TBvStrings::Assign(const TStrings& list) {
    Clear();
    AddStrings(list);
}

void TBvStrings::AssignTo(TStrings& list) const {
    list.Clear();
    if (dynamic_cast<TStringList*>(&list)) {
        // A plain list takes its slots first, then the lines by index.
        for (std::int32_t i = 0; i < count_; ++i)
            list.Add(std::string());
        for (std::int32_t i = 0; i < count_; ++i)
            list.Put(i, Slot(i));
        return;
    }
    for (std::int32_t i = 0; i < count_; ++i)
        list.Add(Slot(i));
}

}  // namespace qm
