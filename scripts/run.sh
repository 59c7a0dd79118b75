#!/usr/bin/env bash
# Builds Quillmoth.exe and starts it under Wine: on $DISPLAY when set, otherwise on a
# private virtual display with a tray panel (stopped again when the program ends).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh >/dev/null
scripts/build.sh windows --target Quillmoth cliptool

# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
trap 'qm_wine_stop; qm_display_stop' EXIT
qm_display_start
qm_wine_env "$root/build/windows/wineprefix"

app="$root/build/run"
mkdir -p "$app"
cp build/windows/app/Quillmoth.exe "$app/"
cat <<TXT
Quillmoth is running on display $DISPLAY (program folder: $app).
Copy and paste from another terminal:
    printf 'a\\nb\\n' | DISPLAY=$DISPLAY xclip -selection clipboard
    DISPLAY=$DISPLAY xclip -selection clipboard -o
Exact CF_TEXT bytes:
    WINEPREFIX=$WINEPREFIX LANG=ja_JP.UTF-8 $QM_WINE $root/build/windows/tests/e2e/cliptool.exe get | od -c
Stop it with Ctrl+C.
TXT
cd "$app"
"$QM_WINE" Quillmoth.exe "$@"
