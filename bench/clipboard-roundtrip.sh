#!/usr/bin/env bash
# The copy-to-paste time of the running Quillmoth.exe under Wine: from a copy by
# xclip (UTF-8 text from the X side, as a Linux program copies) until a Windows
# program has read the filtered text from the clipboard, against the same copy with
# filtering suspended, where the Windows program reads the copied text as the
# platform hands it over: the platform's own round trip. Each size runs RUNS times
# in each mode; the medians and their ratio are printed.
# Usage: bench/clipboard-roundtrip.sh [RUNS [OPTION=VALUE...]]
#        (default: 5 runs, KanaMode1=2; sizes 1 MB and 10 MB of the corpus)
# The options must change the text: a copy the filter leaves as it is stays on the
# clipboard as it came, and the filtered round trip would never end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-5}
shift || true
options=("$@")
[ ${#options[@]} -gt 0 ] || options=(KanaMode1=2)

# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
work=$(mktemp -d)
app=""
copier=""
stop() {
    local pid
    for pid in $copier $app; do kill "$pid" 2>/dev/null || true; done
    for pid in $copier $app; do wait "$pid" 2>/dev/null || true; done
    copier=""
    app=""
}
trap 'stop; qm_display_stop; rm -rf "$work"' EXIT
qm_display_start
scripts/build.sh windows --target Quillmoth cliptimer >/dev/null
bash bench/make-corpus.sh >/dev/null
qm_wine_env "$root/build/windows/wineprefix"
timer="$root/build/windows/bench/cliptimer.exe"

mkdir "$work/app"
cp build/windows/app/Quillmoth.exe "$work/app/"
{
    printf '[%s]\r\n' "$(id -un)"
    for o in "${options[@]}"; do printf '%s\r\n' "$o"; done
} >"$work/app/Quillmoth.ini"

# The program, filtering or suspended ("s"); it empties the clipboard as it starts.
start_app() {
    (cd "$work/app" && exec "$QM_WINE" Quillmoth.exe "$@") >/dev/null 2>&1 &
    app=$!
    sleep 4
}

# One copy of the file; prints the seconds until the text was read, and its size.
round_trip() {  # file filtered|copied
    local file=$1 mode=$2 out="$work/timer.out" started ended bytes
    "$QM_WINE" "$timer" "$mode" >"$out" &
    local waiter=$!
    sleep 2  # the timer is up and waiting
    started=$(date +%s%N)
    xclip -quiet -selection clipboard -i "$file" >/dev/null 2>&1 &
    copier=$!
    wait "$waiter"
    read -r ended bytes <"$out"
    kill "$copier" 2>/dev/null || true
    wait "$copier" 2>/dev/null || true
    copier=""
    echo "$(echo "scale=3; ($ended - $started) / 1000000000" | bc) $bytes"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "options: ${options[*]}, $runs runs a size and mode, medians; load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %12s %12s %8s %14s\n' "copy" "filtered s" "suspended s" "ratio" "bytes read"
for mb in 1 10; do
    file="$work/copy-$mb.txt"
    # Whole lines: a character cut in two at the end would not be UTF-8.
    head -c $((mb * 1000 * 1000)) bench/corpus/ja-80M.utf8.txt | sed '$d' >"$file"
    declare -A times=()
    for mode in filtered copied; do
        if [ "$mode" = filtered ]; then start_app; else start_app s; fi
        : >"$work/times"
        for _ in $(seq "$runs"); do
            read -r seconds bytes < <(round_trip "$file" "$mode")
            echo "$seconds" >>"$work/times"
            eval "bytes_$mode=$bytes"
        done
        times[$mode]=$(median <"$work/times")
        stop
    done
    ratio=$(echo "scale=2; ${times[filtered]} / ${times[copied]}" | bc)
    printf '%-8s %12s %12s %8s %14s\n' "$mb MB" "${times[filtered]}" "${times[copied]}" "$ratio" \
        "$bytes_filtered / $bytes_copied"
done
