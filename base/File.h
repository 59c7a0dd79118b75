// Files through the platform, in one place: CreateFileA on Windows, POSIX natively.
// Every failure raises EInOutError with the platform's error code (GetLastError or
// errno) and a message that names the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "base/Exception.h"

namespace qm {

struct FileOptions {
    // While the file is read, others may write it too: an editor that holds it open
    // must not keep it from being read. Off, they may only read it. A file opened for
    // writing is shared for reading only.
    bool othersMayWrite = true;
    // Only a regular file (on Windows, a file on disk): a folder, a device, a pipe or
    // a FIFO raises EFileRefused, since reading one may never end or may hold the
    // caller up. On POSIX a device or a FIFO is refused before it is even opened.
    bool regularOnly = false;
    // ReadWholeFile: a larger file raises EFileRefused.
    std::size_t maxBytes = std::numeric_limits<std::size_t>::max();
};

// A file that the options refuse to read.
class EFileRefused : public Exception {
  public:
    enum class Reason { TooLarge, NotAFile };
    EFileRefused(const std::string& path, Reason reason);
    Reason GetReason() const { return reason_; }

  private:
    Reason reason_;
};

class FileHandle {
  public:
    enum class Access {
        Read,       // an existing file
        Write,      // an existing file
        ReadWrite,  // an existing file
        Create,     // a new or emptied file, read and written
    };

    FileHandle(const std::string& path, Access access, const FileOptions& options = {});
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    std::int64_t Size() const;
    std::int64_t Position() const;
    void SetPosition(std::int64_t position);
    // A short read means the end of the file; a failed read or write raises.
    std::size_t Read(void* buffer, std::size_t count);
    std::size_t Write(const void* buffer, std::size_t count);

    const std::string& Path() const { return path_; }

  private:
    // The message of a failure from the file's name and the platform's reason.
    using MessageOf = std::string (*)(const std::string& path, const std::string& reason);
    [[noreturn]] void Fail(MessageOf message) const;
    // Closes the file and raises: for what goes wrong after it was opened.
    [[noreturn]] void Refuse();
    void Close();

    std::string path_;
#ifdef _WIN32
    void* handle_;
#else
    int fd_;
#endif
};

// The whole content of the file at path.
std::string ReadWholeFile(const std::string& path, const FileOptions& options = {});

}  // namespace qm
