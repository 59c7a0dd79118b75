#!/usr/bin/env bash
# Runs the text view's benchmark under Wine on a virtual display.
# Usage: bench/bigview-bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash bench/make-corpus.sh >/dev/null
scripts/build.sh windows --target bigview_bench >/dev/null
# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
trap 'qm_display_stop' EXIT
qm_display_start
qm_wine_env "$root/build/windows/wineprefix"
"$QM_WINE" build/windows/bench/bigview_bench.exe "Z:$(echo "$root/bench/corpus/man.txt" | tr / \\\\)"
