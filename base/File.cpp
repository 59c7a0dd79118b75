#include "base/File.h"

#include <algorithm>

#include "base/Messages.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace qm {

EFileRefused::EFileRefused(const std::string& path, Reason reason)
    : Exception(reason == Reason::TooLarge ? FileTooLargeMessage(path)
                                           : FileNotRegularMessage(path)),
      reason_(reason) {}

void FileHandle::Refuse() {
    Close();
    throw EFileRefused(path_, EFileRefused::Reason::NotAFile);
}

#ifdef _WIN32

FileHandle::FileHandle(const std::string& path, Access access, const FileOptions& options)
    : path_(path) {
    if (options.regularOnly) {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            throw EFileRefused(path, EFileRefused::Reason::NotAFile);
    }
    DWORD desired = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    DWORD share = FILE_SHARE_READ;
    switch (access) {
        case Access::Read:
            if (options.othersMayWrite) share |= FILE_SHARE_WRITE;
            break;
        case Access::Write:
            desired = GENERIC_WRITE;
            break;
        case Access::ReadWrite:
            desired = GENERIC_READ | GENERIC_WRITE;
            break;
        case Access::Create:
            desired = GENERIC_READ | GENERIC_WRITE;
            disposition = CREATE_ALWAYS;
            break;
    }
    handle_ = CreateFileA(path.c_str(), desired, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) Fail(FileNotOpenedMessage);
    if (options.regularOnly && GetFileType(handle_) != FILE_TYPE_DISK) Refuse();
}

void FileHandle::Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

std::int64_t FileHandle::Size() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) Fail(FileNotReadMessage);
    return size.QuadPart;
}

std::int64_t FileHandle::Position() const {
    LARGE_INTEGER zero{}, position{};
    if (!SetFilePointerEx(handle_, zero, &position, FILE_CURRENT)) Fail(FileNotReadMessage);
    return position.QuadPart;
}

void FileHandle::SetPosition(std::int64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = position < 0 ? 0 : position;
    if (!SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN)) Fail(FileNotReadMessage);
}

std::size_t FileHandle::Read(void* buffer, std::size_t count) {
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

std::size_t FileHandle::Write(const void* buffer, std::size_t count) {
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

void FileHandle::Fail(MessageOf message) const {
    const int code = static_cast<int>(GetLastError());
    throw EInOutError(message(path_, SystemErrorText(code)), code);
}

#else

FileHandle::FileHandle(const std::string& path, Access access, const FileOptions& options)
    : path_(path) {
    int flags = O_RDONLY;
    switch (access) {
        case Access::Read:
            break;
        case Access::Write:
            flags = O_WRONLY;
            break;
        case Access::ReadWrite:
            flags = O_RDWR;
            break;
        case Access::Create:
            flags = O_RDWR | O_CREAT | O_TRUNC;
            break;
    }
    struct stat status;
    if (options.regularOnly) {
        // A socket is tried: it fails to open.
        if (::stat(path.c_str(), &status) == 0 &&
            (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode) || S_ISFIFO(status.st_mode)))
            throw EFileRefused(path, EFileRefused::Reason::NotAFile);
        // Not blocking, and looked at again once open: the name may stand for a FIFO by now.
        flags |= O_NONBLOCK;
    }
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd_ < 0) Fail(FileNotOpenedMessage);
    if (options.regularOnly) {
        if (::fstat(fd_, &status) != 0) {
            const int code = errno;
            Close();
            errno = code;
            Fail(FileNotReadMessage);
        }
        if (!S_ISREG(status.st_mode)) Refuse();
    }
}

void FileHandle::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::int64_t FileHandle::Size() const {
    struct stat st;
    if (::fstat(fd_, &st) != 0) Fail(FileNotReadMessage);
    return st.st_size;
}

std::int64_t FileHandle::Position() const {
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0) Fail(FileNotReadMessage);
    return at;
}

void FileHandle::SetPosition(std::int64_t position) {
    if (::lseek(fd_, position < 0 ? 0 : position, SEEK_SET) < 0) Fail(FileNotReadMessage);
}

std::size_t FileHandle::Read(void* buffer, std::size_t count) {
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

std::size_t FileHandle::Write(const void* buffer, std::size_t count) {
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

void FileHandle::Fail(MessageOf message) const {
    const int code = errno;
    throw EInOutError(message(path_, SystemErrorText(code)), code);
}

#endif

FileHandle::~FileHandle() {
    Close();
}

std::string ReadWholeFile(const std::string& path, const FileOptions& options) {
    FileHandle file(path, FileHandle::Access::Read, options);
    const auto tooLarge = [&path] { throw EFileRefused(path, EFileRefused::Reason::TooLarge); };
    const std::int64_t size = file.Size();
    if (static_cast<std::uint64_t>(size) > options.maxBytes) tooLarge();
    std::string content;
    content.reserve(static_cast<std::size_t>(size));
    char chunk[1 << 16];
    for (;;) {
        const std::size_t n = file.Read(chunk, sizeof chunk);
        if (n == 0) break;
        content.append(chunk, n);
        // The file may have grown since its size was taken.
        if (content.size() > options.maxBytes) tooLarge();
    }
    return content;
}

}  // namespace qm
