#!/usr/bin/env bash
# Takes the screenshots of docs/: the settings dialog's three pages and the tray menu
# with presets, from the real program on a private display with a window manager.
# Usage: scripts/screenshots.sh [OUT_DIR]   (default docs/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(cd "${1:-$root/docs}" && pwd)
scripts/build.sh windows --target Quillmoth wintool >/dev/null

# shellcheck source=scripts/wine-env.sh
. "$root/scripts/wine-env.sh"
unset DISPLAY
work=$(mktemp -d)
trap 'qm_wine_stop; qm_display_stop; rm -rf "$work"' EXIT
qm_display_start
qm_wine_env "$root/build/windows/wineprefix"
qm_wm_start

cp "$root/build/windows/app/Quillmoth.exe" "$work/"
section="[$(id -un)]"
printf '%s\r\nForm1Top=40\r\nForm1Left=60\r\nNumberMode=1\r\nSpaceMode=1\r\nKanaMode2=2\r\nTagDelete=1\r\nDelDmySpc=1\r\n' "$section" > "$work/Quillmoth.ini"
printf '%s\r\nTagDelete=1\r\n' "$section" > "$work/HTML.ini"
mkdir -p "$work/presets"
printf '%s\r\nEnterDeleteMode=1\r\n' "$section" > "$work/presets/Join lines.ini"
# A filter file in Shift-JIS for the third page.
# (kabu) TAB kabushiki kaisha, half-width kabu TAB full-width kabu, a redirector
printf '# rules: search, TAB, replacement\r\n\x28\xe6\xa0\xaa\x29\t\xe6\xa0\xaa\xe5\xbc\x8f\xe4\xbc\x9a\xe7\xa4\xbe\r\n\xef\xbd\xb6\xef\xbe\x8c\xef\xbe\x9e\t\xe3\x82\xab\xe3\x83\x96\r\nhttp://ime.nu/\thttp://\r\n' \
    | iconv -f utf-8 -t cp932 > "$work/rules.txt"
printf 'UseCustomFilter=1\r\nFilterFile=Z:%s\r\n' "${work//\//\\}\\rules.txt" >> "$work/Quillmoth.ini"

(cd "$work" && exec "$QM_WINE" Quillmoth.exe) >/dev/null 2>&1 &
app=$!
sleep 4
wintool() { "$QM_WINE" "$root/build/windows/tests/e2e/wintool.exe" "$@" | tr -d '\r'; }
xdotool mousemove 10 12 click 2
sleep 2
# The dialog's frame, found from its title, is what each picture shows.
read -r l t r b < <(wintool rect Quillmoth "$(printf '\xe5\x9f\xba\xe6\x9c\xac\xe8\xa8\xad\xe5\xae\x9a')")  # the first page's caption
shot() {  # name
    xdotool mousemove 600 600
    sleep 1
    local x y
    x=$((l - 12)); y=$((t - 60))
    import -window root -crop "$((r - l + 24))x$((b - t + 110))+$((x < 0 ? 0 : x))+$((y < 0 ? 0 : y))" +repage "$out/$1"
}
shot settings-basic.png
for tab in 2 3; do
    # The tabs stand in a row just above the page.
    xdotool mousemove $((l + 26 + (tab - 1) * 62)) $((t - 12)) click 1
    sleep 1
    [ "$tab" = 2 ] && shot settings-extended.png || shot settings-filter.png
done
xdotool mousemove 10 12 click 3
sleep 1.5
import -window root -crop 360x300+0+0 +repage "$out/tray-menu-presets.png"
xdotool key Escape
kill "$app"
echo "screenshots in $out"
