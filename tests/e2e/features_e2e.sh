#!/usr/bin/env bash
# Undo from the tray menu and by its hot key, the suspend hot key, and a program whose
# copies are left alone, against the real Quillmoth.exe. The hot keys are pressed with
# xdotool while the pointer rests on the tray icon: Wine sees a key only when one of its
# windows gets it from X, and then hands it to the program that registered it.
# cliptool.exe, copied under another name, is the program left alone.
# Usage: features_e2e.sh BUILD_DIR   (DISPLAY must name a display with a tray panel)
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"

FULL_2026='\x82\x51\x82\x4f\x82\x51\x82\x55' # 2026 in full-width digits, code page 932
# Ctrl+Alt+S suspends and resumes, Ctrl+Alt+U undoes: the virtual key with Ctrl 0x4000
# and Alt 0x8000, as the hot-key boxes keep them.
printf '[%s]\r\nNumberMode=1\r\nHotKeySuspend=%d\r\nHotKeyUndo=%d\r\nExcludePrograms=KeePass.exe; vault.EXE\r\n' \
    "$(id -un)" $((0xC053)) $((0xC055)) >"$E2E_APP/Quillmoth.ini"
start_app

clip_put "$FULL_2026"
expect_clip "a copy is filtered" '2026'
xdotool mousemove 10 12 click 3
sleep 1.5
xdotool key u
expect_clip "undo from the tray menu puts back the bytes copied" "$FULL_2026"
sleep 2
expect_clip "the bytes put back are not filtered again" "$FULL_2026" 1
clip_put "$FULL_2026\r\n"
expect_clip "a newer copy is filtered again" '2026\r\n'
xdotool mousemove 10 12
sleep 0.5
xdotool key ctrl+alt+u
expect_clip "the undo hot key puts back that copy" "$FULL_2026\r\n"

on_image=$(tray_image)
xdotool key ctrl+alt+s
sleep 1.5
[ "$(tray_image)" != "$on_image" ] && pass "the suspend hot key changes the tray image" \
    || fail "the suspend hot key changes the tray image"
clip_put "$FULL_2026"
sleep 2
expect_clip "suspended by the hot key, a copy stays as it is" "$FULL_2026" 1
xdotool key ctrl+alt+s
sleep 1.5
[ "$(tray_image)" = "$on_image" ] && pass "the hot key again restores the image" \
    || fail "the hot key again restores the image"
clip_put "$FULL_2026"
expect_clip "resumed by the hot key, copies are filtered" '2026'

# Vault.exe is listed (in another case); it keeps its window, the copy's owner, a while.
cp "$CLIPTOOL" "$E2E_WORK/Vault.exe"
printf "$FULL_2026" | "$QM_WINE" "$E2E_WORK/Vault.exe" put-owned 6 &
QM_E2E_PIDS+=($!)
sleep 3
expect_clip "a copy from a program left alone stays as it is" "$FULL_2026" 1
# The same digits from an X program, in UTF-8.
printf '\xef\xbc\x92\xef\xbc\x90\xef\xbc\x92\xef\xbc\x96' | xclip -quiet -selection clipboard >/dev/null 2>&1 &
QM_E2E_PIDS+=($!)
expect_clip "the same text from xclip is filtered" '2026'

e2e_exit
