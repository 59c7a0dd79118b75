#!/usr/bin/env bash
# Takes the text view's screenshot: builds and runs bigview_demo.exe under Wine on a
# virtual display, selects two rules with a real mouse drag (xdotool), and saves the
# window's picture. Usage: controls/demo/screenshot.sh [OUT.png] [FILE]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/docs/text-view.png}
file=${2:-}
cd "$root"
scripts/build.sh windows --target bigview_demo >/dev/null
# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
trap 'qm_display_stop' EXIT
qm_display_start
qm_wine_env "$root/build/windows/wineprefix"

log=$(mktemp)
args=()
[ -n "$file" ] && args=("Z:$(readlink -f "$file" | tr / \\\\)")
"$QM_WINE" build/windows/controls/bigview_demo.exe "${args[@]}" >"$log" 2>/dev/null &
demo=$!
QM_STARTED_PIDS+=("$demo")
for _ in $(seq 100); do
    grep -q '^view ' "$log" && break
    sleep 0.2
done
read -r _ x y w h lh < <(grep '^view ' "$log" | tr -d '\r')
sleep 1
# Drag from the start of the second line to the middle of the fourth.
row() { echo $((y + 2 + $1 * lh + lh / 2)); }
xdotool mousemove $((x + 8)) "$(row 1)" mousedown 1
sleep 0.2
xdotool mousemove $((x + 60)) "$(row 2)"
sleep 0.2
xdotool mousemove $((x + 90)) "$(row 3)" mouseup 1
sleep 0.5
xdotool mousemove $((x + w + 40)) $((y + h + 40))
sleep 0.5
mkdir -p "$(dirname "$out")"
import -window root -crop "$((w + 40))x$((h + 60))+$((x - 20))+$((y - 30))" +repage "$out"
echo "saved $out"
