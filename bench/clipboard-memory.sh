#!/usr/bin/env bash
# A big copy through the running Quillmoth.exe under Wine: the time from the copy to
# the filtered text on the clipboard, and the program's peak memory meanwhile, next
# to the text's size. The result is checked byte for byte against quillmoth-filter.
# Usage: bench/clipboard-memory.sh [MEGABYTES [OPTION=VALUE...]]
#        (default: 100 MB of the Japanese corpus, NumberMode=1)
# Memory is the growth of the process's peak resident set (VmHWM, reset through
# /proc/PID/clear_refs just before the copy) over what it held before: the pages the
# run touched, which under Wine are the process's private memory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mb=${1:-100}
shift || true
options=("$@")
[ ${#options[@]} -gt 0 ] || options=(NumberMode=1)

# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
work=$(mktemp -d)
trap 'kill "${app:-}" 2>/dev/null; wait "${app:-}" 2>/dev/null; qm_display_stop; rm -rf "$work"' EXIT
qm_display_start
scripts/build.sh windows --target Quillmoth cliptool quillmoth-filter >/dev/null
bash bench/make-corpus.sh >/dev/null
qm_wine_env "$root/build/windows/wineprefix"
cliptool() { "$QM_WINE" "$root/build/windows/tests/e2e/cliptool.exe" "$@"; }

text="$work/copy.txt"
while [ "$(stat -c %s "$text" 2>/dev/null || echo 0)" -lt $((mb * 1000 * 1000)) ]; do
    cat bench/corpus/base.txt >>"$text"
done
truncate -s $((mb * 1000 * 1000)) "$text"
"$QM_WINE" build/windows/cli/quillmoth-filter.exe "${options[@]}" <"$text" >"$work/expected.txt"

mkdir "$work/app"
cp build/windows/app/Quillmoth.exe "$work/app/"
{
    printf '[%s]\r\n' "$(id -un)"
    for o in "${options[@]}"; do printf '%s\r\n' "$o"; done
} >"$work/app/Quillmoth.ini"
(cd "$work/app" && exec "$QM_WINE" Quillmoth.exe) >/dev/null 2>&1 &
app=$!
sleep 4
kb() { awk -v k="$1:" '$1 == k { print $2 }' "/proc/$app/status"; }

before=$(kb VmRSS)
echo 5 >"/proc/$app/clear_refs"
start=$(date +%s%N)
cliptool put <"$text"
until [ "$(cliptool owner | tr -d '\r')" = Quillmoth.exe ]; do sleep 0.2; done
seconds=$(echo "scale=1; ($(date +%s%N) - $start) / 1000000000" | bc)
peak=$(kb VmHWM)
cliptool get >"$work/got.txt"
cmp -s "$work/got.txt" "$work/expected.txt" && result=correct || result=WRONG

size_kb=$((mb * 1000 * 1000 / 1024))
growth=$((peak - before))
echo "copy: $mb MB, options: ${options[*]}, output $result"
echo "from the copy to the filtered text on the clipboard: ${seconds} s"
echo "resident before: $((before / 1024)) MB, peak during the run: $((peak / 1024)) MB"
echo "peak growth: $((growth / 1024)) MB = $(echo "scale=2; $growth / $size_kb" | bc) x the text (bound: 5 x)"
# The copy as read stays for the undo command until the clipboard moves on.
echo "resident after the run: $(($(kb VmRSS) / 1024)) MB"
[ "$result" = correct ]
