// The exceptions of the program: every failure carries a message text (code page
// 932) that the application's error display shows as it is.
#pragma once

#include <stdexcept>
#include <string>

namespace qm {

class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A file or stream operation failed; ErrorCode is the platform's error number.
class EInOutError : public Exception {
  public:
    EInOutError(const std::string& message, int errorCode)
        : Exception(message), errorCode_(errorCode) {}
    int ErrorCode() const { return errorCode_; }

  private:
    int errorCode_;
};

// "the list index is out of range (%d)", in Japanese
std::string ListIndexErrorMessage(long long index);

// The platform's text for an error code (GetLastError on Windows, errno elsewhere),
// without the line break it ends with.
std::string SystemErrorText(int code);

}  // namespace qm
