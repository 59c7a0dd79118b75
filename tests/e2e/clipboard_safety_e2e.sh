#!/usr/bin/env bash
# Every copy survives the running program: what it need not change it leaves alone
# with all its formats, a newer copy wins over an older result, a hung or busy
# neighbour neither freezes it nor cuts the viewer chain, and close requests end it
# in order. cliptool.exe and viewertool.exe are the other Windows programs on the
# clipboard and in the chain, wintool.exe posts the close requests.
# Usage: clipboard_safety_e2e.sh BUILD_DIR
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"
VIEWERTOOL="$1/tests/e2e/viewertool.exe"
WINTOOL="$1/tests/e2e/wintool.exe"
INI="$E2E_APP/Quillmoth.ini"
cliptool() { "$QM_WINE" "$CLIPTOOL" "$@"; }
wintool() { "$QM_WINE" "$WINTOOL" "$@"; }
# A viewer in the background for the given seconds, its notices logged to a file.
viewer() {  # log args...
    local log=$1
    shift
    "$QM_WINE" "$VIEWERTOOL" "$@" >"$log" 2>/dev/null &
    QM_E2E_PIDS+=($!)
    VIEWER_PID=$!
    sleep 1
}
clip_is() { [ "$(clip_get | od -An -tx1)" = "$(printf "$1" | od -An -tx1)" ]; }
error_box() { wintool visible Quillmoth; }
close_error_box() {
    local xy
    xy=$(wintool center Quillmoth OK | tr -d '\r') && xdotool mousemove $xy click 1
    sleep 1
}
# The program ends on its own; answers whether it did within the seconds given.
ends_within() {  # pid seconds
    local i
    for i in $(seq $(($2 * 2))); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.5; done
    return 1
}

# The initial options: every option "as is".
start_app
app=$E2E_PID

printf 'plain text' | cliptool put --html
sleep 3
cliptool has "HTML Format" && clip_is 'plain text' && pass "an unchanged copy keeps its other formats" \
    || fail "an unchanged copy keeps its other formats"

clip_put 'a\nb'
expect_clip "a changed copy is written" 'a\r\nb'
[ "$(cliptool locale | tr -d '\r')" = 0411 ] && pass "the written text carries the Japanese locale" \
    || fail "the written text carries the Japanese locale: [$(cliptool locale)]"

for marker in ExcludeClipboardContentFromMonitorProcessing "Clipboard Viewer Ignore"; do
    printf 'secret\n' | cliptool put --mark "$marker"
    sleep 3
    clip_is 'secret\n' && cliptool has "$marker" && pass "a copy marked $marker is left alone" \
        || fail "a copy marked $marker is left alone"
done

cliptool own-refusing 8 &
refusing=$!
sleep 4
cliptool has "HTML Format" && pass "text that cannot be read is not taken for empty text" \
    || fail "text that cannot be read is not taken for empty text"
wait "$refusing"

# The owner renders a big text on request and puts a newer copy the moment the
# program lets go of the clipboard after reading: the program's result must not
# overwrite it.
printf 'newer\ncopy' | cliptool render-then-copy &
sleep 1
expect_clip "a newer copy wins over the result of an older one" 'newer\r\ncopy' 15
error_box && { fail "no error box after the newer copy"; close_error_box; }

# Holding the clipboard briefly only delays the run; holding it for long is an
# error, and the next copy is filtered again.
viewer "$E2E_WORK/hold.log" hold-once 300 10
clip_put 'x\ny'
expect_clip "a copy is filtered after a 300 ms hold" 'x\r\ny'
error_box && fail "no error box after a 300 ms hold" || pass "no error box after a 300 ms hold"
wait "$VIEWER_PID"
viewer "$E2E_WORK/hold.log" hold-once 3000 10
clip_put 'p\nq'
sleep 5
error_box && pass "a 3 s hold shows the error" || fail "a 3 s hold shows the error"
clip_put 'r\ns'
expect_clip "the copy after the error is filtered" 'r\r\ns'
close_error_box
wait "$VIEWER_PID"

# Close requests: the hidden windows of the components ignore theirs; the
# application's window ends the program as Exit does.
stop_app "$app"
viewer "$E2E_WORK/behind.log" count 60
rm -f "$INI"
start_app
app=$E2E_PID
wintool close Quillmoth.exe --untitled >/dev/null
sleep 1
clip_put 'c\nd'
expect_clip "closing the hidden windows leaves the program filtering" 'c\r\nd'
before=$(wc -l <"$E2E_WORK/behind.log")
wintool close Quillmoth.exe >/dev/null
ends_within "$app" 10 && pass "a close request ends the program" || fail "a close request ends the program"
grep -q "^\[$(id -un)\]" "$INI" 2>/dev/null && pass "closing saves the settings as Exit does" \
    || fail "closing saves the settings as Exit does"
clip_put 'e\nf'
sleep 2
[ "$(wc -l <"$E2E_WORK/behind.log")" -gt "$before" ] && pass "the chain is whole after the program closed" \
    || fail "the chain is whole after the program closed"
kill "$VIEWER_PID" 2>/dev/null

# A viewer after the program and one before it that leaves first: each hears of
# every change once.
viewer "$E2E_WORK/early.log" count 12
start_app
app=$E2E_PID
viewer "$E2E_WORK/late.log" count 40
# Joining repeats the last notice down the chain: only what follows is counted.
early_from=$(($(wc -l <"$E2E_WORK/early.log") + 1)) late_from=$(($(wc -l <"$E2E_WORK/late.log") + 1))
for i in 1 2 3; do clip_put "same $i"; sleep 1.5; done
sleep 7   # the early viewer leaves
for i in 4 5; do clip_put "same $i"; sleep 1.5; done
clip_put 'k\nl'
expect_clip "the program filters after a viewer left" 'k\r\nl'
sleep 1
early=$(tail -n +"$early_from" "$E2E_WORK/early.log" | tr -d '\r')
late=$(tail -n +"$late_from" "$E2E_WORK/late.log" | tr -d '\r')
[ -z "$(echo "$early" | sort | uniq -d)" ] && [ "$(echo "$early" | wc -l)" -eq 3 ] \
    && pass "the early viewer heard of each change once" || fail "the early viewer: [$(echo $early)]"
# The late viewer: five copies, the last copy and the program's write.
[ -z "$(echo "$late" | sort | uniq -d)" ] && [ "$(echo "$late" | wc -l)" -eq 7 ] \
    && pass "the late viewer heard of each change once" || fail "the late viewer: [$(echo $late)]"
stop_app "$app"

# A hung viewer after the program: copies are still filtered.
viewer "$E2E_WORK/hung.log" hang 6000 60
start_app
app=$E2E_PID
sleep 3
clip_put 'h\n1'
expect_clip "a copy is filtered with a hung viewer in the chain" 'h\r\n1'
clip_put 'h\n2'
expect_clip "the next copy too" 'h\r\n2' 15
stop_app "$app"

# Load: 200 copies from X 20 ms apart, digits to full-width.
printf '[%s]\r\nNumberMode=2\r\n' "$(id -un)" >"$INI"
start_app
app=$E2E_PID
for i in $(seq 200); do
    # Wine hears of a copy made in X a moment after it was made: a result written in
    # that moment takes the clipboard back from it, which no Windows program's copy
    # can suffer, as the program writes only while it holds the clipboard open. The
    # last copy comes after a pause, so that it is not raced by the one before it.
    [ "$i" -eq 200 ] && sleep 1
    # xclip returns once it owns the selection, and then serves it from the background.
    printf 'copy %d' "$i" | xclip -selection clipboard 2>/dev/null
    sleep 0.02
done
expect_clip "200 copies: the last one filtered" 'copy \x82\x51\x82\x4f\x82\x4f' 20
kill -0 "$app" 2>/dev/null && pass "200 copies: the program runs on" || fail "200 copies: the program runs on"
error_box && fail "200 copies: no error box" || pass "200 copies: no error box"
stop_app "$app"

e2e_exit
