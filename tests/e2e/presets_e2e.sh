#!/usr/bin/env bash
# The presets scan does not follow a link: with a folder link back up the tree beside
# the program, its one settings file is offered once.
# Usage: presets_e2e.sh BUILD_DIR
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"
WINTOOL="$1/tests/e2e/wintool.exe"
wintool() { "$QM_WINE" "$WINTOOL" "$@"; }

printf '[%s]\r\nNumberMode=1\r\n' "$(id -un)" > "$E2E_APP/p.ini"
ln -s . "$E2E_APP/loop"   # Wine shows it as a reparse point
start_app
xdotool mousemove 10 12 click 3
sleep 1.5
# The entry after the preset: the dialog's, unless the link listed the preset again.
xdotool key Down Down Return
shown=1
for _ in $(seq 10); do wintool visible Quillmoth && { shown=0; break; }; sleep 0.5; done
[ "$shown" = 0 ] && pass "a link beside the program lists its settings file once" \
    || fail "a link beside the program lists its settings file once"
stop_app "$E2E_PID"

e2e_exit
