#!/usr/bin/env bash
# The running program against other programs on the clipboard.
# Usage: clipboard_e2e.sh BUILD_DIR   (DISPLAY must name a display with Wine's clipboard bridge)
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"

clip_put 'left over'
start_app
first=$E2E_PID
if clip_get >/dev/null; then fail "starting empties the clipboard"; else pass "starting empties the clipboard"; fi

clip_put 'a\nb'
expect_clip "a LF b comes back as a CR LF b" 'a\r\nb'
clip_put 'abc\r\n'
expect_clip "a final CR LF stays" 'abc\r\n'
clip_put 'abc\n'
expect_clip "a final lone LF goes" 'abc'
clip_put 'x\n\ry'
expect_clip "LF CR makes an empty line" 'x\r\n\r\ny'

# From an X program: a copy the filter changes (its last break is a lone CR) is taken
# over by the program's own write, so xclip, which serves its selection until someone
# else owns it, ends.
printf 'from x\r' | xclip -quiet -selection clipboard >/dev/null 2>&1 &
xclip_pid=$!
sleep 4
if kill -0 "$xclip_pid" 2>/dev/null; then fail "an X copy is filtered"; kill "$xclip_pid"; else pass "an X copy is filtered"; fi
[ "$(xclip -selection clipboard -o 2>/dev/null)" = "from x" ] && pass "an X program pastes the result" || fail "an X program pastes the result"

# A picture is left alone: xclip stays the owner of its image.
printf '\x89PNG\r\n\x1a\n' > "$E2E_WORK/p.png"
xclip -quiet -selection clipboard -t image/png -i "$E2E_WORK/p.png" >/dev/null 2>&1 &
png_pid=$!
sleep 4
if kill -0 "$png_pid" 2>/dev/null && xclip -selection clipboard -o -t TARGETS | grep -q image/png; then
    pass "a picture is left alone"
else
    fail "a picture is left alone"
fi
kill "$png_pid" 2>/dev/null

# A second start from the same file name ends at once, and the first keeps filtering.
start=$(date +%s%N)
(cd "$E2E_APP" && timeout 20 "$QM_WINE" Quillmoth.exe >/dev/null 2>&1)
code=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$code" = 0 ] && pass "a second start exits 0 (${elapsed} ms)" || fail "a second start exits $code"
clip_put 'still\nfiltering'
expect_clip "the first instance keeps filtering" 'still\r\nfiltering'
stop_app "$first"

for arg in s Disable; do
    start_app "$arg"
    clip_put 'a\nb'
    sleep 3
    [ "$(clip_get | od -An -tx1)" = "$(printf 'a\nb' | od -An -tx1)" ] && pass "started with $arg leaves the clipboard alone" \
        || fail "started with $arg leaves the clipboard alone"
    stop_app "$E2E_PID"
done

start_app -d
clip_put 'a\nb'
expect_clip "the argument -d does not suspend" 'a\r\nb'
stop_app "$E2E_PID"

e2e_exit
