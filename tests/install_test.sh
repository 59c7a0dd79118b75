#!/usr/bin/env bash
# The installer as a user meets it, under Wine: a silent install into a folder of our
# own, the Start-menu entry, the installed program filtering a copy and ending from its
# tray menu, then silent uninstalls that take the program and leave the settings, or
# take both when asked. Needs a display with a tray panel along its top edge, as the
# end-to-end tests do.
# Usage: install_test.sh BUILD_DIR DIST_DIR   (scripts/package.sh fills DIST_DIR)
set -u
. "$(dirname "$0")/e2e/lib.sh"
e2e_setup "$1"
setup=$(ls "$2"/Quillmoth-*-setup.exe)
zip=$(ls "$2"/Quillmoth-*-win64.zip)
readme=$(printf '\xe3\x81\xaf\xe3\x81\x98\xe3\x82\x81\xe3\x81\xab\xe3\x81\x8a\xe8\xaa\xad\xe3\x81\xbf\xe3\x81\x8f\xe3\x81\xa0\xe3\x81\x95\xe3\x81\x84.txt')  # "please read first"
program_files=(Quillmoth.exe quillmoth-filter.exe Quillmoth.pdf Quillmoth-en.pdf LICENSE.txt "$readme" uninstall.exe)
dir="$E2E_WORK/Quillmoth"
windir="Z:${dir//\//\\}"
menu="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quillmoth"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmoth'

install() { "$QM_WINE" "$setup" /S "/D=$windir" >/dev/null 2>&1; }
# The uninstaller hands over to a copy of itself and returns at once; its work is done
# when it has removed itself.
uninstall() {  # [/PURGE]
    "$QM_WINE" "$dir/uninstall.exe" /S "$@" >/dev/null 2>&1
    local i
    for i in $(seq 40); do [ -e "$dir/uninstall.exe" ] || break; sleep 0.5; done
}
registered() { "$QM_WINE" reg query "$key" >/dev/null 2>&1; }

install && pass "a silent install succeeds" || fail "a silent install succeeds"
missing=()
for f in "${program_files[@]}" sample-filter.txt; do [ -f "$dir/$f" ] || missing+=("$f"); done
[ ${#missing[@]} = 0 ] && pass "the program's files are installed" || fail "not installed: ${missing[*]}"
zipped() { python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip"; }
[ "$(zipped | sort)" = "$(cd "$dir" && ls | grep -vx uninstall.exe | sort)" ] \
    && pass "the zip holds what the installer installs" || fail "the zip holds what the installer installs"
for f in sample-filter.txt "$readme"; do
    if iconv -f cp932 -t utf-8 "$dir/$f" >/dev/null 2>&1 && ! grep -qv $'\r$' "$dir/$f"; then
        pass "$f is code page 932 with CR LF"
    else
        fail "$f is code page 932 with CR LF"
    fi
done
[ -f "$menu/Quillmoth.lnk" ] && pass "a Start-menu entry starts the program" || fail "a Start-menu entry starts the program"
registered && pass "the uninstaller is registered for the user" || fail "the uninstaller is registered for the user"

(cd "$dir" && exec "$QM_WINE" Quillmoth.exe) >/dev/null 2>&1 &
app=$!
QM_E2E_PIDS+=("$app")
sleep 3
clip_put 'a\nb'
expect_clip "the installed program filters a copy" 'a\r\nb'

# Run in place (_?=) the uninstaller answers at once: it refuses while the program runs.
"$QM_WINE" "$dir/uninstall.exe" /S "_?=$windir" >/dev/null 2>&1
code=$?
[ "$code" = 3 ] && [ -f "$dir/Quillmoth.exe" ] && pass "no uninstall while the program runs" \
    || fail "no uninstall while the program runs (exit $code)"

xdotool mousemove 10 12 click 3
sleep 1.5
xdotool key x
for _ in $(seq 20); do kill -0 "$app" 2>/dev/null || break; sleep 0.5; done
[ -f "$dir/Quillmoth.ini" ] && pass "ending the program saves its settings beside it" \
    || fail "ending the program saves its settings beside it"

uninstall
left=()
for f in "${program_files[@]}"; do [ -e "$dir/$f" ] && left+=("$f"); done
[ ${#left[@]} = 0 ] && pass "a silent uninstall removes the program's files" || fail "left behind: ${left[*]}"
[ -f "$dir/Quillmoth.ini" ] && [ -f "$dir/sample-filter.txt" ] \
    && pass "the settings and the filter file stay" || fail "the settings and the filter file stay"
[ ! -e "$menu" ] && ! registered && pass "the Start-menu entry and the registration go" \
    || fail "the Start-menu entry and the registration go"

install
uninstall /PURGE
[ ! -e "$dir" ] && pass "/PURGE removes settings, filter file and folder" || fail "/PURGE leaves: $(ls "$dir")"

e2e_exit
