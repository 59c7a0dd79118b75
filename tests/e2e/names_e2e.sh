#!/usr/bin/env bash
# A program whose folder and file name hold a kanji whose second byte is the byte of
# "\" (0x955C): it must still find its settings file and its presets beside itself,
# and keep to one instance under its own name.
# Usage: names_e2e.sh BUILD_DIR
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"
USER_SECTION="[$(id -un)]"
HYO=$(printf '\xe8\xa1\xa8')             # the kanji 0x955C, as UTF-8 for the file system
HYOJI=$(printf '\xe8\xa1\xa8\xe7\xa4\xba')  # that kanji and the kanji 0x8EA6
FULL_2026='\x82\x51\x82\x4f\x82\x51\x82\x55'  # 2026 in full-width digits, code page 932
APP_DIR="$E2E_APP/$HYO"
mkdir -p "$APP_DIR"
mv "$E2E_APP/Quillmoth.exe" "$APP_DIR/$HYOJI.exe"
EXE="$HYO/$HYOJI.exe"

# The only settings file is a preset: choosing it applies it and saves it as the
# program's own settings.
printf '%s\r\nNumberMode=1\r\n' "$USER_SECTION" > "$APP_DIR/p.ini"
start_app --exe "$EXE"
app=$E2E_PID
xdotool mousemove 10 12 click 3
sleep 1.5
xdotool key Down Return   # the first entry
sleep 2
clip_put "$FULL_2026"
expect_clip "the preset beside the program is offered and applied" '2026'
grep -q '^NumberMode=1' "$APP_DIR/$HYOJI.ini" 2>/dev/null && pass "the settings file is the program's name with .ini" \
    || fail "the settings file is the program's name with .ini"

(cd "$E2E_APP" && timeout 20 "$QM_WINE" "$EXE" >/dev/null 2>&1)
[ $? = 0 ] && kill -0 "$app" 2>/dev/null && pass "a second start under the same name exits 0" \
    || fail "a second start under the same name exits 0"
stop_app "$app"

# The next start reads what was saved.
rm "$APP_DIR/p.ini"
start_app --exe "$EXE"
clip_put "$FULL_2026"
expect_clip "the next start reads the saved settings" '2026'
stop_app "$E2E_PID"

e2e_exit
