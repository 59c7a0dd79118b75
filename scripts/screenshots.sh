#!/usr/bin/env bash
# Takes the pictures of the manuals (docs/manual/) from the real program on a private
# display with a window manager: the settings dialog's five pages, the tray menu with
# presets, the tray icon in both states and the About box, each cropped to its window.
# The try-out page shows a copy made before the dialog opens.
# Usage: scripts/screenshots.sh [OUT_DIR]   (default docs/manual/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(cd "${1:-$root/docs/manual}" && pwd)
cd "$root"
scripts/build.sh windows --target Quillmoth wintool cliptool >/dev/null

# shellcheck source=scripts/wine-env.sh
. "$root/scripts/wine-env.sh"
unset DISPLAY
qm_display_start
qm_wine_env "$root/build/windows/wineprefix"
qm_wm_start
# The program runs from the installer's default folder, which the filter page shows.
work="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Quillmoth"
rm -rf "$work"
mkdir -p "$work"
trap 'qm_wine_stop; qm_display_stop; rm -rf "$work"' EXIT

cp "$root/build/windows/app/Quillmoth.exe" "$work/"
section="[$(id -un)]"
printf '%s\r\nForm1Top=40\r\nForm1Left=60\r\nNumberMode=1\r\nSpaceMode=1\r\nKanaMode2=2\r\nTagDelete=1\r\nDelDmySpc=1\r\n' "$section" > "$work/Quillmoth.ini"
printf '%s\r\nTagDelete=1\r\n' "$section" > "$work/HTML.ini"
mkdir -p "$work/presets"
printf '%s\r\nEnterDeleteMode=1\r\n' "$section" > "$work/presets/Join lines.ini"
# The third page shows the sample filter file of the packages.
iconv -f utf-8 -t cp932 "$root/packaging/sample-filter.txt" | sed 's/$/\r/' > "$work/sample-filter.txt"
printf 'UseCustomFilter=1\r\nFilterFile=C:\\users\\%s\\AppData\\Local\\Programs\\Quillmoth\\sample-filter.txt\r\n' "$(id -un)" >> "$work/Quillmoth.ini"
# The fourth page: Ctrl+Alt+S and Ctrl+Alt+U, and two programs left alone.
printf 'HotKeySuspend=%d\r\nHotKeyUndo=%d\r\nExcludePrograms=KeePass.exe; EXCEL.EXE\r\n' $((0xC053)) $((0xC055)) >> "$work/Quillmoth.ini"

(cd "$work" && exec "$QM_WINE" Quillmoth.exe) >/dev/null 2>&1 &
app=$!
sleep 4
wintool() { "$QM_WINE" "$root/build/windows/tests/e2e/wintool.exe" "$@" | tr -d '\r'; }

# The frame of a visible window of the program, title bar included: left top width height.
frame_of() {  # title
    local id x y w h extents
    id=$(xdotool search --onlyvisible --name "^$1\$" | tail -1)
    x=$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left X: *//p')
    y=$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left Y: *//p')
    w=$(xwininfo -id "$id" | sed -n 's/.*Width: *//p')
    h=$(xwininfo -id "$id" | sed -n 's/.*Height: *//p')
    # left, right, top, bottom
    read -r -a extents < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    echo "$((x - extents[0])) $((y - extents[2])) $((w + extents[0] + extents[1])) $((h + extents[2] + extents[3]))"
}

# The popup menu: the program's one viewable window without a title.
menu_frame() {
    local id geometry
    for id in $(xwininfo -root -children | awk '/"quillmoth.exe"/ && /\(has no name\)/ {print $1}'); do
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' || continue
        geometry=$(xwininfo -id "$id" | sed -n 's/.*-geometry //p')
        [[ $geometry =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+) ]] || continue
        [ "${BASH_REMATCH[1]}" -gt 20 ] || continue
        echo "${BASH_REMATCH[3]} ${BASH_REMATCH[4]} ${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
        return 0
    done
    return 1
}

crop() {  # name left top width height
    import -window root -crop "$4x$5+$2+$3" +repage "$out/$1"
}

tray_icon() {  # name: the icon at the tray panel's left end, drawn twice as large
    xdotool mousemove 600 600
    sleep 1
    import -window root -crop 24x24+0+0 +repage -filter point -resize 200% "$out/$1"
}

# The copy the try-out page starts from: a tag, half-width katakana, full-width digits and
# blanks, a tab and blanks at a line's end (UTF-8 escapes keep this file ASCII).
printf '<b>\xef\xbe\x83\xef\xbd\xb7\xef\xbd\xbd\xef\xbe\x84</b>\xe3\x80\x80\xef\xbc\x91\xef\xbc\x92\xef\xbc\x93\r\n\xe4\xbe\xa1\xe6\xa0\xbc\t\xef\xbc\x91\xef\xbc\x90\xef\xbc\x90\xe5\x86\x86   \r\n' |
    iconv -f utf-8 -t cp932 | "$QM_WINE" "$root/build/windows/tests/e2e/cliptool.exe" put
sleep 2

tray_icon tray-on.png
xdotool mousemove 10 12 click 1
sleep 1.5
tray_icon tray-suspended.png
xdotool mousemove 10 12 click 1
sleep 1

xdotool mousemove 10 12 click 2
sleep 2
page=0
for name in settings-basic.png settings-extended.png settings-filter.png settings-behavior.png settings-tryout.png; do
    # shellcheck disable=SC2046
    xdotool mousemove $(wintool tab Quillmoth $page) click 1
    xdotool mousemove 600 600
    sleep 1
    # shellcheck disable=SC2046
    crop "$name" $(frame_of Quillmoth)
    page=$((page + 1))
done
xdotool key Escape
sleep 1

xdotool mousemove 10 12 click 3
sleep 1.5
# shellcheck disable=SC2046
crop tray-menu.png $(menu_frame)
# The menu takes no keys while a window manager runs: the About entry is clicked. It
# stands above the last separator and the Exit entry.
read -r ml mt _ mh < <(menu_frame)
xdotool mousemove $((ml + 60)) $((mt + mh - 39)) click 1
sleep 2
about=$(printf '\xe6\x83\x85\xe5\xa0\xb1')  # "information", the About box's caption
# shellcheck disable=SC2046
crop about.png $(frame_of "$about")
# shellcheck disable=SC2046
xdotool mousemove $(wintool center "$about" OK) click 1
kill "$app"
echo "screenshots in $out"
