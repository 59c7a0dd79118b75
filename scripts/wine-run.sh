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
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$QM_WINE" "$@"
fi
exec "$QM_WINE" "$@"
