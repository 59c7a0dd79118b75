#include "framework/FileStream.h"

namespace qm {

namespace {

FileHandle::Access AccessOf(TFileMode mode) {
    switch (mode) {
        case fmOpenWrite:
            return FileHandle::Access::Write;
        case fmOpenReadWrite:
            return FileHandle::Access::ReadWrite;
        case fmCreate:
            return FileHandle::Access::Create;
        case fmOpenRead:
            break;
    }
    return FileHandle::Access::Read;
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode)
    : file_(fileName, AccessOf(mode)) {}

}  // namespace qm
