#include "app/SingleInstance.h"

#include "base/Exception.h"
#include "framework/Messages.h"

namespace qm {

SingleInstance::SingleInstance(const std::string& name) {
    HANDLE h = CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD code = GetLastError();
    if (!h) {
        throw Exception(std::string(kMutexNotCreatedMessage) + "\r\n" +
                        SystemErrorText(static_cast<int>(code)));
    }
    if (code == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return;
    }
    handle_ = h;
}

SingleInstance::~SingleInstance() {
    if (!handle_) return;
    ReleaseMutex(handle_);
    CloseHandle(handle_);
}

}  // namespace qm
