// A byte stream over a file (base/File.h). Every failure raises EInOutError with the
// platform's error code (errno or GetLastError).
#pragma once

#include <cstdint>
#include <string>

#include "base/File.h"
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

    std::int64_t Size() const override { return file_.Size(); }
    std::int64_t Position() const override { return file_.Position(); }
    void SetPosition(std::int64_t position) override { file_.SetPosition(position); }
    // A short read means the end of the file; a failed read or write raises.
    std::size_t Read(void* buffer, std::size_t count) override { return file_.Read(buffer, count); }
    std::size_t Write(const void* buffer, std::size_t count) override {
        return file_.Write(buffer, count);
    }

    const std::string& FileName() const { return file_.Path(); }

  private:
    FileHandle file_;
};

}  // namespace qm
