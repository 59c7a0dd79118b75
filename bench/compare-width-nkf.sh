#!/usr/bin/env bash
# Whole-process times of the command-line filter's width and kana steps, and of its
# initial options, against nkf doing the nearest conversion (every one that nkf
# can do: -Z0 and -Z4 also narrow symbols, -Z1 letters and blanks), on the same
# 80 MB code page 932 file, output thrown away; with the argument utf-8, the same on the corpus's UTF-8 form, with
# --encoding utf-8 and nkf reading and writing UTF-8, the initial options included.
# Each command runs QM_RUNS times (5 by default) after one warm-up run; the best
# time counts. Uses hyperfine when it is installed, bash's time otherwise.
#   QM_FILTER  the filter binary (build/native/cli/quillmoth-filter)
#   QM_CORPUS  the input file (bench/corpus/ja-80M.txt or ja-80M.utf8.txt, made if missing)
# Usage: bench/compare-width-nkf.sh [utf-8]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
encoding=${1:-cp932}
filter=${QM_FILTER:-$root/build/native/cli/quillmoth-filter}
runs=${QM_RUNS:-5}

[ -x "$filter" ] || { echo "compare-width-nkf: build the filter first (scripts/build.sh native)" >&2; exit 1; }
command -v nkf >/dev/null || { echo "compare-width-nkf: nkf is not installed" >&2; exit 1; }

# name | filter options | nkf options
if [ "$encoding" = utf-8 ]; then
    corpus=${QM_CORPUS:-$root/bench/corpus/ja-80M.utf8.txt}
    filter="$filter --encoding utf-8"
    # -W -w: UTF-8 in and out; -Lw: every line break CR LF, as the filter makes them.
    comparisons=(
        "initial options: breaks to CR LF||-W -w -x -Lw"
        "digits, letters, blanks to half-width|NumberMode=1 AlphabetMode=1 SpaceMode=1|-W -w -x -Z1 -Lw"
        "digits, letters, symbols to half-width|NumberMode=1 AlphabetMode=1 SignMode=1|-W -w -x -Z0 -Lw"
        "half-width katakana to full-width|KanaMode2=2|-W -w -Lw"
        "hiragana to katakana|KanaMode1=2|-W -w -x --katakana -Lw"
        "katakana to half-width|KanaMode2=1|-W -w -x -Z4 -Lw"
        "katakana to hiragana|KanaMode2=3|-W -w --hiragana -Lw"
    )
else
    corpus=${QM_CORPUS:-$root/bench/corpus/ja-80M.txt}
    comparisons=(
        "initial options||-S -s -x"
        "digits, letters, blanks to half-width|NumberMode=1 AlphabetMode=1 SpaceMode=1|-S -s -x -Z1"
        "digits, letters, symbols to half-width|NumberMode=1 AlphabetMode=1 SignMode=1|-S -s -x -Z0"
        "half-width katakana to full-width|KanaMode2=2|-S -s"
        "hiragana to katakana|KanaMode1=2|-S -s -x --katakana"
        "katakana to half-width|KanaMode2=1|-S -s -x -Z4"
        "katakana to hiragana|KanaMode2=3|-S -s --hiragana"
    )
fi
[ -s "$corpus" ] || bash "$root/bench/make-corpus.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

best_time() {  # command -> best wall time in seconds
    local cmd=$1 best="" t
    if command -v hyperfine >/dev/null; then
        hyperfine --warmup 1 --runs "$runs" --style none --export-json "$tmp/h.json" "$cmd" \
            >/dev/null 2>"$tmp/h.err" || { cat "$tmp/h.err" >&2; exit 1; }
        python3 -c 'import json,sys; print("%.3f" % json.load(open(sys.argv[1]))["results"][0]["min"])' "$tmp/h.json"
        return
    fi
    bash -c "$cmd" >/dev/null
    for _ in $(seq "$runs"); do
        t=$( { TIMEFORMAT=%R; time bash -c "$cmd" >/dev/null; } 2>&1 )
        if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
    done
    echo "$best"
}

size=$(stat -c %s "$corpus")
echo "input: $corpus ($size bytes), best of $runs runs"
# What every filter run pays whatever its options: reading, the line list, writing.
echo "filter with no option: $(best_time "$filter < '$corpus' > /dev/null") s"
if [ "$encoding" = utf-8 ]; then
    # What the conversions add: the same run on the code page 932 form of the text.
    cp932=${corpus%.utf8.txt}.txt
    echo "the same on $cp932: $(best_time "${filter% --encoding utf-8} < '$cp932' > /dev/null") s"
fi
printf '%-38s %-58s %9s %9s %8s\n' "conversion" "commands" "filter s" "nkf s" "speed-up"
for c in "${comparisons[@]}"; do
    IFS='|' read -r name options nkfOptions <<<"$c"
    q=$(best_time "$filter $options < '$corpus' > /dev/null")
    n=$(best_time "nkf $nkfOptions < '$corpus' > /dev/null")
    ratio=$(awk -v q="$q" -v n="$n" 'BEGIN { printf "%.1fx", n / q }')
    printf '%-38s %-58s %9s %9s %8s\n' "$name" "$options / nkf $nkfOptions" "$q" "$n" "$ratio"
done
