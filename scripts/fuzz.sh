#!/usr/bin/env bash
# Runs one libFuzzer target for a number of seconds, or every target one after the
# other: scripts/fuzz.sh TARGET|all SECONDS
# Targets: filter_text steps filter_file settings line_store unicode.
#
# Builds the fuzz configuration first (scripts/build.sh fuzz). The seeds in
# fuzz/seeds are only read: what a run finds new goes to build/fuzz/corpus/TARGET and
# is read again by the next run, an input that breaks a property or runs too long to
# build/fuzz/findings/, the fuzzer's own output to build/fuzz/logs/TARGET.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 2 ] || { echo "usage: $0 TARGET|all SECONDS" >&2; exit 2; }
all=(filter_text steps filter_file settings line_store unicode)
if [ "$1" = all ]; then targets=("${all[@]}"); else targets=("$1"); fi
seconds=$2

# Per target: the seed folders, the longest input, and the seconds one input may
# take. Where everything under test is linear, inputs go up to 64 KB and may take
# 2 s, some twenty times what the longest takes here: work that grows faster than
# the input runs into the limit. The plain references that the steps and the filter
# file are held against grow with the square of the input, so those two targets
# take shorter inputs and a limit that only catches a hang.
plan() {
    case $1 in
        filter_text) echo "text filter|65536|2" ;;
        steps) echo "text|2048|10" ;;
        filter_file) echo "filter text|4096|10" ;;
        settings) echo "settings|65536|2" ;;
        line_store) echo "text settings|65536|2" ;;
        unicode) echo "utf8 text|65536|2" ;;
        *) echo "fuzz: unknown target $1 (${all[*]})" >&2; return 1 ;;
    esac
}

for t in "${targets[@]}"; do plan "$t" >/dev/null; done
"$root/scripts/build.sh" fuzz --target "${targets[@]/%/_fuzz}" >/dev/null

out="$root/build/fuzz"
mkdir -p "$out/findings" "$out/logs"
failed=0
for t in "${targets[@]}"; do
    IFS='|' read -r seeds max_len timeout < <(plan "$t")
    corpus="$out/corpus/$t"
    mkdir -p "$corpus"
    dirs=()
    for s in $seeds; do dirs+=("$root/fuzz/seeds/$s"); done
    log="$out/logs/$t.log"
    status=0
    "$out/fuzz/${t}_fuzz" -max_total_time="$seconds" -max_len="$max_len" -timeout="$timeout" \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$out/findings/$t-" \
        "$corpus" "${dirs[@]}" > "$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    if [ "$status" -eq 0 ]; then
        echo "fuzz $t: ${runs:-?} inputs in ${seconds} s (${speed:-?}/s), corpus $(ls "$corpus" | wc -l), nothing found"
    else
        echo "fuzz $t: FOUND something after ${runs:-?} inputs (exit $status); the input is in $out/findings"
        grep -v '^#\|^INFO\|^MS:\|^base unit' "$log" | tail -40
        failed=1
    fi
done
exit "$failed"
