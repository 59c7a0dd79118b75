// Step 22: the user's search-and-replace rules, read from the filter file anew on
// every run.
//
// The file is Shift-JIS text of at most 16 MB without NUL bytes (rules given as a
// text end at their first NUL), split into lines like a clipboard text. An empty
// line or one whose first byte is "#" is skipped; any other line is a rule: the
// search text up to the first TAB, the replacement up to the second TAB. Rules
// apply in file order, each to the result of the ones before, by ReplaceAll.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/Exception.h"

namespace qm {

// The text with every rule of the file at path applied in file order. A missing
// path, file or a folder leaves the text unchanged; a file that exists but cannot
// be read raises Exception ("Fairu "%s" wa akemasen. %s (File "%s" cannot be opened.)": full path,
// platform text), one that is no filter file EFilterFileRefused.
bool ApplyUserFilter(std::string_view text, const std::string& path, std::string& out);

// The rules of a filter file's content applied to text.
bool ApplyFilterRules(std::string_view text, std::string_view rules, std::string& out);

// The largest filter file read: the file is read at every copy.
inline constexpr std::size_t kMaxFilterFileBytes = 16 * 1024 * 1024;

// A filter file that is read as no rules at all: larger than kMaxFilterFileBytes,
// holding a NUL byte (a UTF-16 file would otherwise become rules that delete every
// "a"), or a device or FIFO. The same file gives the same error at every run until
// it changes, so the program can tell this one apart and show it once per change.
class EFilterFileRefused : public Exception {
  public:
    enum class Reason { TooLarge, NulByte, NotAFile };
    EFilterFileRefused(const std::string& message, Reason reason)
        : Exception(message), reason_(reason) {}
    Reason GetReason() const { return reason_; }

  private:
    Reason reason_;
};

// The whole file, or nothing when no file of that name exists (an empty path, a
// missing file, a folder). Raises Exception as ApplyUserFilter does, and
// EFilterFileRefused. The file is shared for reading only while it is read.
std::optional<std::string> ReadFilterFile(const std::string& path);

// The rules of a filter file's content, prepared once to be applied to any number
// of texts: the pipeline reads the file once in a run and applies its rules to the
// text a piece at a time.
class FilterRules {
  public:
    explicit FilterRules(std::string_view content);
    ~FilterRules();
    FilterRules(FilterRules&&) noexcept;
    FilterRules& operator=(FilterRules&&) noexcept;

    // The pipeline's form: false when the text stays as it is.
    bool Apply(std::string_view text, std::string& out);

  private:
    struct Prepared;
    std::unique_ptr<Prepared> prepared_;  // none when the file has no rule
};

// The rules of the file at path, or nothing when no file of that name exists;
// raises Exception as ApplyUserFilter does.
std::optional<FilterRules> ReadFilterRules(const std::string& path);

// Field index (from 0) of text, fields separated by separator; empty when absent.
std::string FieldOf(std::string_view text, std::string_view separator, int index);

}  // namespace qm
