#!/usr/bin/env bash
# Runs a Windows program under Wine in a given prefix, with code page 932.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
# The prefix is created on first use. Without a display the program gets a
# private virtual one for its own run.
set -u
prefix=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/wine-env.sh
. "$here/wine-env.sh"
qm_wine_env "$prefix" || exit 1
run=("$QM_WINE" "$@")
[ -n "${DISPLAY:-}" ] || run=(xvfb-run -a -s "-screen 0 1024x768x24" "$QM_WINE" "$@")

# A program that reaches the prefix's wineserver just as the server ends dies at once
# with "wine client error" on standard error and no output of its own; once in a
# while it dies in a few milliseconds with no word on either stream. That is Wine's
# fault, not the program's (every program run here says something when it fails):
# such a run is made again with the same input, twice at most. So the input and the
# output go through files.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -t 0 ]; then : >"$work/in"; else cat >"$work/in"; fi
for attempt in 1 2 3; do
    "${run[@]}" <"$work/in" >"$work/out" 2>"$work/err"
    status=$?
    if ! grep -q '^wine client error' "$work/err" &&
        { [ "$status" = 0 ] || [ -s "$work/out" ] || [ -s "$work/err" ]; }; then
        break
    fi
    [ "$attempt" = 3 ] ||
        echo "wine-run.sh: Wine lost the program on run $attempt (status $status); running again" >&2
done
cat "$work/out"
cat "$work/err" >&2
exit "$status"
