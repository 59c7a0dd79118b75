#!/usr/bin/env bash
# Unicode copies from X through the running program: characters that code page 932
# cannot hold come back as they were copied, and a copy the program cannot carry
# through is left alone. xclip is the other program (Wine hands its text to Windows
# programs as CF_UNICODETEXT); it serves its copy until another program writes the
# clipboard, so a running xclip tells that nothing was written.
# Usage: unicode_clipboard_e2e.sh BUILD_DIR
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"
INI="$E2E_APP/Quillmoth.ini"

# Copies the file from X, in the background; XCLIP_PID serves the copy.
x_copy() {  # file
    xclip -quiet -selection clipboard -i "$1" >/dev/null 2>&1 &
    XCLIP_PID=$!
    QM_E2E_PIDS+=("$XCLIP_PID")
    sleep 4
}
x_paste() { xclip -selection clipboard -o 2>/dev/null; }
left_alone() {  # name file-with-the-copy
    if kill -0 "$XCLIP_PID" 2>/dev/null && cmp -s <(x_paste) "$2"; then
        pass "$1"
    else
        fail "$1: pastes [$(x_paste | head -c 120)]"
    fi
}

printf '[%s]\r\nKanaMode1=2\r\n' "$(id -un)" >"$INI"
start_app
app=$E2E_PID

# More distinct characters outside the code page than stand-in codes (2,000 Hangul
# syllables), with hiragana that the options would change.
perl -CO -e 'print map chr, 0xAC00 .. 0xAC00 + 1999, 0x3072, 0x3089' >"$E2E_WORK/many.txt"
x_copy "$E2E_WORK/many.txt"
left_alone "a copy with too many foreign characters is left alone" "$E2E_WORK/many.txt"

# "cafe 😀 ひらがな〜한국어", with an accented e, an emoji, the wave dash and Hangul
printf 'caf\xc3\xa9 \xf0\x9f\x98\x80 \xe3\x81\xb2\xe3\x82\x89\xe3\x81\x8c\xe3\x81\xaa\xe3\x80\x9c\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4' >"$E2E_WORK/cafe.txt"
x_copy "$E2E_WORK/cafe.txt"
# the same with the hiragana in katakana
want=$(printf 'caf\xc3\xa9 \xf0\x9f\x98\x80 \xe3\x83\x92\xe3\x83\xa9\xe3\x82\xac\xe3\x83\x8a\xe3\x80\x9c\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4')
[ "$(x_paste)" = "$want" ] && pass "foreign characters survive a kana change" \
    || fail "foreign characters survive a kana change: pastes [$(x_paste)]"
[ "$("$QM_WINE" "$CLIPTOOL" locale | tr -d '\r')" = 0411 ] \
    && pass "the Unicode result carries the Japanese locale" \
    || fail "the Unicode result carries the Japanese locale"
stop_app "$app"

# Every option "as is": emoji and Hangul on two lines, nothing to change.
rm -f "$INI"
start_app
app=$E2E_PID
# "😀🎉 한국어", a line break, "안녕 👍"
printf '\xf0\x9f\x98\x80\xf0\x9f\x8e\x89 \xed\x95\x9c\xea\xb5\xad\xec\x96\xb4\n\xec\x95\x88\xeb\x85\x95 \xf0\x9f\x91\x8d' >"$E2E_WORK/emoji.txt"
x_copy "$E2E_WORK/emoji.txt"
left_alone "emoji and Hangul paste back byte for byte" "$E2E_WORK/emoji.txt"
kill -0 "$app" 2>/dev/null && pass "the program runs on" || fail "the program runs on"
stop_app "$app"

e2e_exit
