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
# Programs started one after the other each connect to the prefix's wineserver; one
# that connects while the server is ending after the last run gets its connection
# reset and dies with no output. A server that outlives its last client by 30 s is
# there for the next run (when one is running already, this exits at once).
"$QM_WINESERVER" -p 30 2>/dev/null
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$QM_WINE" "$@"
fi
exec "$QM_WINE" "$@"
