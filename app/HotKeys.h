// The program's two global hot keys, registered on the application's window, which
// receives WM_HOTKEY with the key's identifier when one is pressed anywhere.
#pragma once

#include <windows.h>

#include <string>

#include "framework/ComCtrls.h"

namespace qm {

// "Ctrl+Alt+U": the key combination as the user's keyboard names it.
std::string ShortCutText(TShortCut shortCut);

class GlobalHotKeys {
  public:
    enum Id : int { kSuspend = 1, kUndo = 2 };

    explicit GlobalHotKeys(HWND window) : window_(window) {}
    ~GlobalHotKeys();
    GlobalHotKeys(const GlobalHotKeys&) = delete;
    GlobalHotKeys& operator=(const GlobalHotKeys&) = delete;

    // Gives up the keys held and registers these (0: none). Answers what is to be told
    // of the keys that could not be had, in Japanese, each naming its key; empty when
    // all went well. The keys that could be had work whatever became of the others.
    std::string Register(TShortCut suspend, TShortCut undo);

  private:
    void Release();

    HWND window_;
    bool held_[2] = {false, false};
};

}  // namespace qm
