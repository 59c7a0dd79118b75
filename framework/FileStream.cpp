#include "framework/FileStream.h"

#include <algorithm>

#include "framework/Exception.h"
#include "framework/Messages.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace qm {

#ifdef _WIN32

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    DWORD share = FILE_SHARE_READ;
    switch (mode) {
        case fmOpenRead:
            // A reader lets others write: an editor that holds the file open for
            // writing must not keep it from being read.
            share = FILE_SHARE_READ | FILE_SHARE_WRITE;
            break;
        case fmOpenWrite:
            access = GENERIC_WRITE;
            break;
        case fmOpenReadWrite:
            access = GENERIC_READ | GENERIC_WRITE;
            break;
        case fmCreate:
            access = GENERIC_READ | GENERIC_WRITE;
            disposition = CREATE_ALWAYS;
            break;
    }
    handle_ = CreateFileA(fileName.c_str(), access, share, nullptr, disposition,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) Fail(FileNotOpenedMessage);
}

TFileStream::~TFileStream() {
    CloseHandle(handle_);
}

std::int64_t TFileStream::Size() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) Fail(FileNotReadMessage);
    return size.QuadPart;
}

std::int64_t TFileStream::Position() const {
    LARGE_INTEGER zero{}, position{};
    if (!SetFilePointerEx(handle_, zero, &position, FILE_CURRENT)) Fail(FileNotReadMessage);
    return position.QuadPart;
}

void TFileStream::SetPosition(std::int64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = position < 0 ? 0 : position;
    if (!SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN)) Fail(FileNotReadMessage);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(handle_, static_cast<char*>(buffer) + done, chunk, &got, nullptr))
            Fail(FileNotReadMessage);
        if (got == 0) break;
        done += got;
    }
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(handle_, static_cast<const char*>(buffer) + done, chunk, &put, nullptr))
            Fail(FileNotWrittenMessage);
        done += put;
    }
    return done;
}

void TFileStream::Fail(MessageOf message) const {
    const int code = static_cast<int>(GetLastError());
    throw EInOutError(message(fileName_, SystemErrorText(code)), code);
}

#else

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
    int flags = O_RDONLY;
    switch (mode) {
        case fmOpenRead:
            break;
        case fmOpenWrite:
            flags = O_WRONLY;
            break;
        case fmOpenReadWrite:
            flags = O_RDWR;
            break;
        case fmCreate:
            flags = O_RDWR | O_CREAT | O_TRUNC;
            break;
    }
    fd_ = ::open(fileName.c_str(), flags | O_CLOEXEC, 0666);
    if (fd_ < 0) Fail(FileNotOpenedMessage);
}

TFileStream::~TFileStream() {
    ::close(fd_);
}

std::int64_t TFileStream::Size() const {
    struct stat st;
    if (::fstat(fd_, &st) != 0) Fail(FileNotReadMessage);
    return st.st_size;
}

std::int64_t TFileStream::Position() const {
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0) Fail(FileNotReadMessage);
    return at;
}

void TFileStream::SetPosition(std::int64_t position) {
    if (::lseek(fd_, position < 0 ? 0 : position, SEEK_SET) < 0) Fail(FileNotReadMessage);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            Fail(FileNotReadMessage);
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            Fail(FileNotWrittenMessage);
        }
        done += static_cast<std::size_t>(put);
    }
    return done;
}

void TFileStream::Fail(MessageOf message) const {
    const int code = errno;
    throw EInOutError(message(fileName_, SystemErrorText(code)), code);
}

#endif

}  // namespace qm
