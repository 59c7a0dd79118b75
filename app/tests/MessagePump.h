// Running the thread's message loop in tests until something has happened.
#pragma once

#include <windows.h>

namespace qm::test {

inline ULONGLONG Now() {
    return GetTickCount64();
}

inline void PumpOnce(DWORD waitMs) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Handles messages until done() holds or timeoutMs has passed; answers done().
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
    const ULONGLONG end = Now() + timeoutMs;
    while (!done()) {
        if (Now() >= end) return false;
        PumpOnce(5);
    }
    return true;
}

inline void PumpFor(DWORD ms) {
    const ULONGLONG end = Now() + ms;
    while (Now() < end)
        PumpOnce(5);
}

}  // namespace qm::test
