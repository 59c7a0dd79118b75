// The text view's line store: an ordered, growable array of byte strings with list
// operations, whole-text and comma-text transfer, file and stream loading and saving, an
// exact line lookup and a case-insensitive search. It never looks at the encoding: lines
// are Shift-JIS bytes to it like any other bytes.
//
// Slots are kept explicitly: Capacity() slots exist, the first Count() hold lines and the
// rest are empty. Capacity grows by a fixed 32 slots when a line is added to a full store;
// the text and file loaders pre-size it from the input size and trim it afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Stream.h"
#include "framework/Strings.h"

namespace qm {

class TBvStrings {
  public:
    // The largest number of slots the store accepts.
    static constexpr std::int32_t kMaxSlots = 0x7FFFFFF;
    // Capacity added when a line goes into a full store.
    static constexpr std::int32_t kGrowth = 32;
    // SetText and LoadFromFile reserve one slot per this many bytes of input.
    static constexpr std::int32_t kBytesPerSlot = 28;

    TBvStrings() = default;
    virtual ~TBvStrings() { Clear(); }
    TBvStrings(const TBvStrings&) = delete;
    TBvStrings& operator=(const TBvStrings&) = delete;

    std::int32_t Count() const { return count_; }
    std::int32_t Capacity() const { return capacity_; }

    // Index errors raise the range error before anything changes.
    const std::string& Get(std::int32_t index) const;
    void Put(std::int32_t index, std::string s);
    std::int32_t Add(std::string s);
    void Insert(std::int32_t index, std::string s);
    void Delete(std::int32_t index);
    void Exchange(std::int32_t index1, std::int32_t index2);
    // Removes every line and frees the slots (Capacity 0).
    void Clear();

    virtual void SetCount(std::int32_t n);
    virtual void SetCapacity(std::int32_t n);

    // Every line followed by CR LF.
    virtual std::string GetText() const;
    // CR, LF and CR LF end lines; a NUL ends the text.
    virtual void SetText(std::string_view text);
    // Lines separated by commas; a line holding a space or comma is put in double quotes.
    virtual std::string GetCommaText() const;
    virtual void SetCommaText(std::string_view text);

    // Raises the range error.
    [[noreturn]] virtual void Error() const;

    // LF or CR LF end lines, any other CR is dropped, 0x1A ends the file. Failures raise
    // EInOutError with the platform's error code; the lines read so far stay.
    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName) const;
    // Writes GetText at the stream's position.
    virtual void SaveToStream(TStream& stream) const;
    // Reads from the stream's position to its end and splits as SetText does.
    virtual void LoadFromStream(TStream& stream);

    // First line equal to s byte for byte, or -1.
    virtual std::int32_t IndexOf(std::string_view s) const;

    // Finds pattern at or after (line, column), column 1-based, ignoring the case of
    // ASCII letters. On success line and column give the match; a repeated call with
    // them finds the same match. Never wraps around.
    bool Search(std::string_view pattern, std::int32_t& line, std::int32_t& column) const;

    // Appends every string of the list.
    void AddStrings(const TStrings& list);
    // Clear, then AddStrings.
    void Assign(const TStrings& list);
    // Replaces the list's content by the lines.
    void AssignTo(TStrings& list) const;

  private:
    void Check(std::int32_t index, std::int32_t limit) const {
        if (index < 0 || index >= limit) Error();
    }
    std::string& Slot(std::int32_t i) { return items_[static_cast<std::size_t>(i)]; }
    const std::string& Slot(std::int32_t i) const { return items_[static_cast<std::size_t>(i)]; }
    void Grow();

    // items_.size() == capacity_; slots count_.. are empty.
    std::vector<std::string> items_;
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
};

// "the index exceeds the range of the list"
extern const char kBvRangeErrorMessage[];

}  // namespace qm
