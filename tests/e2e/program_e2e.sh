#!/usr/bin/env bash
# The whole program as a user meets it: settings file, tray clicks, the dialog, the
# presets menu, the About box, Exit and the start rules. Drives the real
# Quillmoth.exe with xdotool on a display with a tray panel along its top edge;
# cliptool.exe is the other program on the clipboard, wintool.exe reads the dialog.
# Usage: program_e2e.sh BUILD_DIR
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"
WINTOOL="$1/tests/e2e/wintool.exe"
USER_SECTION="[$(id -un)]"
INI="$E2E_APP/Quillmoth.ini"

sjis() { printf '%s' "$1" | iconv -f utf-8 -t cp932; }
# Japanese texts are written as UTF-8 escapes, so that this file stays ASCII.
u8() { printf "$1"; }
FULL_2026=$(u8 '\xef\xbc\x92\xef\xbc\x90\xef\xbc\x92\xef\xbc\x96')        # 2026 in full-width digits
FULL_2026_YEAR=$(u8 '\xef\xbc\x92\xef\xbc\x90\xef\xbc\x92\xef\xbc\x96\xe5\xb9\xb4')   # the same followed by the kanji for year
YEAR_2026=$(u8 '2026\xe5\xb9\xb4')    # 2026 and the kanji for year
FULL_1234=$(u8 '\xef\xbc\x91\xef\xbc\x92\xef\xbc\x93\xef\xbc\x94')        # 1234 in full-width digits
FULL_WIDTH=$(u8 '\xe5\x85\xa8\xe8\xa7\x92')       # the item "full-width" of a radio group
CANCEL=$(u8 '\xe3\x82\xad\xe3\x83\xa3\xe3\x83\xb3\xe3\x82\xbb\xe3\x83\xab')           # the caption of the Cancel button
ABOUT_CAPTION=$(u8 '\xe6\x83\x85\xe5\xa0\xb1')    # "information", the About box's caption
WIDE_BLANK=$(u8 '\xe3\x80\x80')       # a full-width blank
# Texts in the program's code page, for wintool's arguments (Wine converts them).
wintool() { "$QM_WINE" "$WINTOOL" "$@"; }
click_text() {  # window-title text [n]
    local xy
    xy=$(wintool center "$@" | tr -d '\r') || { fail "no '$2' in $1"; return 1; }
    # shellcheck disable=SC2086
    xdotool mousemove $xy click 1
    sleep 0.5
}
wait_visible() {  # title [seconds]; waits until the window shows
    local i
    for i in $(seq $((${2:-10} * 2))); do wintool visible "$1" && return 0; sleep 0.5; done
    return 1
}
wait_gone() {
    local i
    for i in $(seq $((${2:-10} * 2))); do wintool visible "$1" || return 0; sleep 0.5; done
    return 1
}
copy_expect() {  # name input-utf8 expected-utf8
    clip_put "$(sjis "$2" | od -An -tx1 | tr -s ' ' | sed 's/ /\\x/g')"
    expect_clip "$1" "$(sjis "$3" | od -An -tx1 | tr -s ' ' | sed 's/ /\\x/g')"
}

# Presets: one file in the folder, one in a subfolder; the settings file sets digits
# to half-width for the user Wine reports.
printf '%s\r\nNumberMode=1\r\n' "$USER_SECTION" > "$INI"
printf '%s\r\nTagDelete=1\r\n' "$USER_SECTION" > "$E2E_APP/a-first.ini"
mkdir -p "$E2E_APP/sub"
printf '%s\r\nNumberMode=2\r\nDelConma=1\r\n' "$USER_SECTION" > "$E2E_APP/sub/b-second.ini"

start_app
app=$E2E_PID
copy_expect "the settings file's options filter a copy" "$FULL_2026_YEAR" "$YEAR_2026"

# Left click: suspended, another tray image, copies left alone; again: back.
xdotool mousemove 10 12
on_image=$(tray_image)
xdotool click 1
sleep 1.5
suspended_image=$(tray_image)
[ "$suspended_image" != "$on_image" ] && pass "a left click changes the tray image" || fail "a left click changes the tray image"
clip_put 'a\nb'
sleep 3
[ "$(clip_get | od -An -tx1)" = "$(printf 'a\nb' | od -An -tx1)" ] && pass "suspended, a copy stays untouched" \
    || fail "suspended, a copy stays untouched"
xdotool click 1
sleep 1.5
[ "$(tray_image)" = "$on_image" ] && pass "a second left click restores the image" || fail "a second left click restores the image"
clip_put 'x\ny'
expect_clip "resumed, copies are filtered again" 'x\r\ny'

# Middle click: the dialog. A radio button takes effect before OK; Cancel undoes it.
xdotool click 2
wait_visible Quillmoth && pass "a middle click shows the dialog" || fail "a middle click shows the dialog"
click_text Quillmoth "$FULL_WIDTH" 0   # the first group is the digits'
copy_expect "a change in the dialog filters the next copy before OK" '2026' "$FULL_2026"
click_text Quillmoth "$CANCEL"
wait_gone Quillmoth && pass "Cancel hides the dialog" || fail "Cancel hides the dialog"
copy_expect "Cancel restores the saved value" "$FULL_2026" '2026'

# OK writes the user's section, keys in the order of the dialog's controls (in a new
# file: an existing file keeps its keys where they are).
xdotool mousemove 10 12 click 2
wait_visible Quillmoth
click_text Quillmoth "$FULL_WIDTH" 0
rm -f "$INI"
click_text Quillmoth OK
wait_gone Quillmoth
keys=$(sed -n "/^\\[$(id -un)\\]/,/^\\[/p" "$INI" | tr -d '\r' | grep = | cut -d= -f1 | paste -sd' ')
want="Form1Top Form1Left NumberMode AlphabetMode SignMode SpaceMode KanaMode1 KanaMode2 ReturnMode PunctuationMode PeriodMode ParenthesisMode EnterDeleteMode DelDmySpc DelConma UpDownCase Space2Tab TagDelete AddLI RepAmp RepLG RepQuot RepNumber DelEmptyLine ShowForm URLHelper RemoveIme UseCustomFilter FilterFile HotKeySuspend HotKeyUndo ExcludePrograms"
[ "$keys" = "$want" ] && pass "OK writes the keys in the dialog's order" || fail "OK writes the keys: [$keys]"
grep -q '^NumberMode=2' "$INI" && pass "OK saves the choice" || fail "OK saves the choice"

# The presets menu: the folder's files, then the subfolder's; choosing one applies it
# and makes it the saved settings.
xdotool mousemove 10 12 click 3
sleep 1.5
import -window root "$E2E_WORK/menu.png"
[ -n "${PROGRAM_E2E_SHOTS:-}" ] && cp "$E2E_WORK/menu.png" "$PROGRAM_E2E_SHOTS/tray-menu-presets.png"
xdotool key Down Down Down Return   # the third entry: the subfolder's file
sleep 2
copy_expect "a preset from a subfolder applies its own file" '1,234' "$FULL_1234"
grep -q '^DelConma=1' "$INI" && pass "the chosen preset is saved" || fail "the chosen preset is saved"

# The About box.
xdotool mousemove 10 12 click 3
sleep 1.5
xdotool key a
about=$ABOUT_CAPTION
if wait_visible "$about"; then
    text=$(wintool texts "$about" | iconv -f cp932 -t utf-8 | tr -d '\r')
    echo "$text" | grep -qx "Quillmoth${WIDE_BLANK}Copyright (C) 2026 Orrinworks" && pass "About: title and copyright" \
        || fail "About: title and copyright: [$text]"
    echo "$text" | grep -q '^FileVersion : 1.1.16.57$' && pass "About: the file version" || fail "About: the file version"
    click_text "$about" OK
else
    fail "the About box shows"
fi

# Exit saves and ends the process; the mutex goes with it.
xdotool mousemove 10 12 click 3
sleep 1.5
xdotool key x
for _ in $(seq 20); do kill -0 "$app" 2>/dev/null || break; sleep 0.5; done
kill -0 "$app" 2>/dev/null && fail "Exit ends the program" || pass "Exit ends the program"

# "d" starts suspended with the suspended image; the mutex was released.
start_app d
kill -0 "$E2E_PID" 2>/dev/null && pass "the next start runs" || fail "the next start runs"
xdotool mousemove 200 300
sleep 0.5
[ "$(tray_image)" = "$suspended_image" ] && pass "started with d, the tray shows suspended" \
    || fail "started with d, the tray shows suspended"
(cd "$E2E_APP" && timeout 20 "$QM_WINE" Quillmoth.exe >/dev/null 2>&1)
[ $? = 0 ] && kill -0 "$E2E_PID" 2>/dev/null && pass "a second start exits 0 and the first runs on" \
    || fail "a second start exits 0 and the first runs on"
stop_app "$E2E_PID"

e2e_exit
