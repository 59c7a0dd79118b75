#include "app/HotKeys.h"

namespace qm {

namespace {

// "The hot key " ... " is used by another program and could not be registered."
const char kHeldByAnother[] = "\x83\x7a\x83\x62\x83\x67\x83\x4c\x81\x5b ";
const char kHeldByAnotherEnd[] =
    " \x82\xcd\x82\xd9\x82\xa9\x82\xcc\x83\x76\x83\x8d\x83\x4f\x83\x89\x83\x80\x82\xaa\x8e\x67"
    "\x82\xc1\x82\xc4\x82\xa2\x82\xe9\x82\xbd\x82\xdf\x81\x41\x93\x6f\x98\x5e\x82\xc5\x82\xab"
    "\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";
// " is set for both suspend/resume and undo; it suspends and resumes."
const char kSetTwiceEnd[] =
    " \x82\xcd\x81\x75\x88\xea\x8e\x9e\x92\xe2\x8e\x7e/\x8d\xc4\x8a\x4a\x81\x76\x82\xc6\x81\x75"
    "\x8c\xb3\x82\xc9\x96\xdf\x82\xb7\x81\x76\x82\xcc\x97\xbc\x95\xfb\x82\xc9\x90\xdd\x92\xe8"
    "\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42\x88\xea\x8e\x9e\x92\xe2\x8e\x7e"
    "/\x8d\xc4\x8a\x4a\x82\xc9\x8e\x67\x82\xa2\x82\xdc\x82\xb7\x81\x42";

std::string KeyName(BYTE key) {
    UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    // Keys of the navigation block have the same scan codes as the number pad's: the
    // extended bit tells them apart.
    switch (key) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_INSERT:
        case VK_DELETE:
        case VK_DIVIDE:
        case VK_NUMLOCK:
            scan |= 0x100;
            break;
        default:
            break;
    }
    char name[64] = {};
    if (scan && GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name) > 0) return name;
    char code[16];
    wsprintfA(code, "0x%02X", key);
    return code;
}

UINT Modifiers(TShortCut shortCut) {
    UINT modifiers = MOD_NOREPEAT;
    if (shortCut & scShift) modifiers |= MOD_SHIFT;
    if (shortCut & scCtrl) modifiers |= MOD_CONTROL;
    if (shortCut & scAlt) modifiers |= MOD_ALT;
    return modifiers;
}

}  // namespace

std::string ShortCutText(TShortCut shortCut) {
    std::string text;
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scAlt) text += "Alt+";
    return text + KeyName(static_cast<BYTE>(shortCut & 0xFF));
}

GlobalHotKeys::~GlobalHotKeys() {
    Release();
}

void GlobalHotKeys::Release() {
    for (int id : {kSuspend, kUndo}) {
        if (held_[id - 1]) UnregisterHotKey(window_, id);
        held_[id - 1] = false;
    }
}

std::string GlobalHotKeys::Register(TShortCut suspend, TShortCut undo) {
    Release();
    std::string message;
    const auto tell = [&message](const std::string& line) {
        if (!message.empty()) message += "\r\n";
        message += line;
    };
    // A combination without a key (the box shows modifiers alone) is no hot key.
    const auto key = [](TShortCut s) { return (s & 0xFF) != 0; };
    if (key(undo) && undo == suspend) {
        tell(kHeldByAnother + ShortCutText(undo) + kSetTwiceEnd);
        undo = 0;
    }
    const struct {
        Id id;
        TShortCut shortCut;
    } wanted[] = {{kSuspend, suspend}, {kUndo, undo}};
    for (const auto& w : wanted) {
        if (!key(w.shortCut)) continue;
        if (RegisterHotKey(window_, w.id, Modifiers(w.shortCut), w.shortCut & 0xFF)) {
            held_[w.id - 1] = true;
        } else {
            tell(kHeldByAnother + ShortCutText(w.shortCut) + kHeldByAnotherEnd);
        }
    }
    return message;
}

}  // namespace qm
