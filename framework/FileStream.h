// A byte stream over a file: POSIX natively, CreateFileA on Windows. Every failure
// raises EInOutError with the platform's error code (errno or GetLastError).
#pragma once

#include <cstdint>
#include <string>

#include "framework/Stream.h"

namespace qm {

enum TFileMode {
    fmOpenRead,       // existing file, read only; others may read and write it meanwhile
    fmOpenWrite,      // existing file, write only
    fmOpenReadWrite,  // existing file, both
    fmCreate,         // new or emptied file, both
};

class TFileStream : public TStream {
  public:
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::int64_t Size() const override;
    std::int64_t Position() const override;
    void SetPosition(std::int64_t position) override;
    // A short read means the end of the file; a failed read or write raises.
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;

    const std::string& FileName() const { return fileName_; }

  private:
    // The message of a failure from the file's name and the platform's reason.
    using MessageOf = std::string (*)(const std::string& path, const std::string& reason);
    [[noreturn]] void Fail(MessageOf message) const;

    std::string fileName_;
#ifdef _WIN32
    void* handle_;
#else
    int fd_;
#endif
};

}  // namespace qm
