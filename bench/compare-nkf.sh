#!/usr/bin/env bash
# The command-line filter against nkf, whole processes on the same files, in one run.
# Prints the best of several runs of each command, the 8 MB to 80 MB scaling and the
# filter's peak memory. Usage: bench/compare-nkf.sh [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
bash "$root/bench/make-corpus.sh" >/dev/null
"$root/scripts/build.sh" native --target quillmoth-filter >/dev/null
filter="$root/build/native/cli/quillmoth-filter"
big="$root/bench/corpus/ja-80M.txt"
small="$root/bench/corpus/ja-8M.txt"

best() {  # command... ; prints the best wall time in seconds over $runs runs
    local b="" t s
    for _ in $(seq "$runs"); do
        s=$EPOCHREALTIME
        "$@" > /dev/null
        t=$(awk "BEGIN{printf \"%.4f\", $EPOCHREALTIME - $s}")
        if [ -z "$b" ] || awk "BEGIN{exit !($t < $b)}"; then b=$t; fi
    done
    echo "$b"
}

q80=$(best sh -c "\"$filter\" < \"$big\"")
n80=$(best sh -c "nkf -S -s -x < \"$big\"")
q8=$(best sh -c "\"$filter\" < \"$small\"")
peak=$( { /usr/bin/time -f %M "$filter" < "$big" > /dev/null; } 2>&1 | tail -1)
size=$(stat -c %s "$big")

echo "quillmoth-filter (initial options), 80 MB: ${q80} s"
echo "nkf -S -s -x, 80 MB:                      ${n80} s"
awk "BEGIN{printf \"speed-up over nkf:                       %.1fx (target >= 5)\n\", $n80 / $q80}"
echo "quillmoth-filter, 8 MB:                   ${q8} s"
awk "BEGIN{printf \"80 MB / 8 MB time:                       %.1f (target <= 11)\n\", $q80 / $q8}"
awk "BEGIN{printf \"peak memory, 80 MB:                      %.0f MB (limit 4 x input + 16 MB = %.0f MB)\n\", $peak / 1024, 4 * $size / 1048576 + 16}"
