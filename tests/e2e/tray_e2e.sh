#!/usr/bin/env bash
# The tray icon in a real notification area: tray_probe.exe (a hidden form with a tray
# icon, three coloured images and a popup menu, logging every event) driven with
# xdotool, its icon looked at in screenshots.
# Usage: tray_e2e.sh BUILD_DIR   (DISPLAY must name a display with a tray panel, such as
# trayer, along its top edge)
set -u
. "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null || ! command -v import >/dev/null; then
    echo "FAIL tray_e2e.sh needs DISPLAY (with a tray panel), xdotool and ImageMagick's import"
    exit 1
fi
e2e_setup "$1"

PROBE="$1/tests/e2e/tray_probe.exe"
LOG="$E2E_WORK/probe.log"
COMMANDS="$E2E_WORK/commands.txt"
: >"$COMMANDS"
winpath() { echo "Z:${1//\//\\}"; }

# Log lines without their time stamps from line $MARK on.
MARK=1
mark() { MARK=$(($(wc -l <"$LOG") + 1)); }
events() { tail -n +"$MARK" "$LOG" | cut -d' ' -f2- | grep -v '^ack '; }
# Waits until a line of the log from MARK on matches; its time stamp goes to STAMP.
wait_log() {  # regex [seconds]
    local i line
    for i in $(seq $((${2:-10} * 10))); do
        line=$(tail -n +"$MARK" "$LOG" 2>/dev/null | grep -E -m1 "^[0-9]+ ($1)\$")
        [ -n "$line" ] && { STAMP=${line%% *}; return 0; }
        sleep 0.1
    done
    return 1
}
COMMAND_COUNT=0
send() {  # command
    echo "$1" >>"$COMMANDS"
    COMMAND_COUNT=$((COMMAND_COUNT + 1))
    local saved=$MARK
    MARK=1
    wait_log "ack $COMMAND_COUNT $1" 10 || fail "probe did not take '$1'"
    MARK=$saved
}
expect_events() {  # name expected-lines...
    local name=$1
    shift
    local want got
    want=$(printf '%s\n' "$@")
    got=$(events)
    [ "$got" = "$want" ] && pass "$name" || fail "$name: got [$(echo "$got" | paste -sd,)], want [$(echo "$want" | paste -sd,)]"
}

# Pixels of one colour (ImageMagick's #RRGGBB) in a part of the screen.
count_colour() {  # colour WxH+X+Y
    import -window root -crop "$2" +repage -depth 8 txt:- 2>/dev/null | grep -c " $1 "
}
# Pixels other than the empty screen's black: a window is there.
count_drawn() {  # WxH+X+Y
    import -window root -crop "$1" +repage -depth 8 txt:- 2>/dev/null | tail -n +2 | grep -vc ' #000000 '
}
RED='#FF0000' GREEN='#00FF00' BLUE='#0000FF'

(cd "$E2E_WORK" && exec "$QM_WINE" "$PROBE" "$(winpath "$LOG")" "$(winpath "$COMMANDS")") >/dev/null 2>&1 &
PROBE_PID=$!
QM_E2E_PIDS+=("$PROBE_PID")
for i in $(seq 100); do [ -s "$LOG" ] && break; sleep 0.1; done
MARK=1
wait_log "ready .*" 20 || { fail "the probe starts"; e2e_exit; }
DBLCLICK_TIME=$(grep -m1 ready "$LOG" | sed 's/.*dblclicktime //')

# The icon: image 0 is red. Find it in the panel along the top edge.
for i in $(seq 50); do
    box=$(import -window root -crop 320x40+0+0 +repage -depth 8 txt:- 2>/dev/null |
        awk -F'[,: ]+' -v c="$RED" '$0 ~ " " c " " {
            if (n++ == 0) { x0 = x1 = $1; y0 = y1 = $2 }
            if ($1 < x0) x0 = $1; if ($1 > x1) x1 = $1; if ($2 < y0) y0 = $2; if ($2 > y1) y1 = $2 }
            END { if (n > 50) print int((x0 + x1) / 2), int((y0 + y1) / 2), x0, y0 }')
    [ -n "$box" ] && break
    sleep 0.2
done
if [ -z "$box" ]; then
    fail "the icon docks in the tray (no red icon in the panel)"
    e2e_exit
fi
read -r CX CY X0 Y0 <<<"$box"
pass "the icon docks in the tray at $CX,$CY"
ICON_AREA="20x20+$((X0 - 2))+$((Y0 - 2))"
MENU_AREA="100x50+$((CX + 10))+$((CY + 60))"  # below where a tooltip would be
xdotool mousemove "$CX" "$CY"
sleep 0.7

# A left click: down, click, up, in that order.
mark
xdotool click 1
wait_log "up left" 5
sleep 0.3
expect_events "a left click raises down, click, up" "down left" "click" "up left"
sleep 0.8

# With a double-click handler the click waits for the double-click time.
send "dblclick on"
mark
xdotool click 1
wait_log "down left" 5 && down_at=$STAMP
if wait_log "click" 5; then
    delay=$((STAMP - down_at))
    [ "$delay" -ge $((DBLCLICK_TIME - 50)) ] && pass "the click comes one double-click time after the press (${delay} ms)" \
        || fail "the click came ${delay} ms after the press, double-click time $DBLCLICK_TIME ms"
else
    fail "a click with a double-click handler"
fi
expect_events "with a double-click handler: down, up, then click" "down left" "up left" "click"
sleep 0.8
mark
xdotool click --repeat 2 --delay 80 1
sleep "$(awk -v t="$DBLCLICK_TIME" 'BEGIN { print t / 1000 + 0.8 }')"
# The double click also chooses the menu's default entry.
expect_events "a double click raises no click" "down left" "up left" "dblclick" "item options" "up left"
send "dblclick off"
sleep 0.8

# A right press opens the menu at the cursor; choosing an entry runs it, and the owner
# window gets WM_NULL after the menu has closed.
[ "$(count_drawn "$MENU_AREA")" -eq 0 ] || fail "the screen below the icon is empty before the menu"
mark
xdotool click 3
wait_log "popup" 5
sleep 1
drawn=$(count_drawn "$MENU_AREA")
[ "$drawn" -gt 1000 ] && pass "a right press opens a menu window ($drawn pixels drawn)" \
    || fail "no menu window below the icon ($drawn pixels drawn)"
import -window root "$E2E_WORK/menu.png"
[ -n "${TRAY_E2E_SHOT:-}" ] && cp "$E2E_WORK/menu.png" "$TRAY_E2E_SHOT"
xdotool key w  # Orrinworks(&W)
wait_log "null" 5
sleep 0.3
got=$(events | grep -v '^up right$' | paste -sd,)
[ "$got" = "down right,popup,item website,null" ] && pass "right press: down, menu, entry, WM_NULL" \
    || fail "right press: got [$got]"
[ "$(count_drawn "$MENU_AREA")" -eq 0 ] && pass "the menu closes" || fail "the menu stays on screen"

# Middle button.
mark
xdotool click 2
wait_log "up middle" 5
expect_events "a middle click raises down and up" "down middle" "up middle"
sleep 0.8

# Enabled off: nothing at all, no menu.
send "enabled off"
mark
xdotool click 1
sleep 0.8
xdotool click 3
sleep 1
drawn=$(count_drawn "$MENU_AREA")
xdotool click 2
sleep 0.5
xdotool click --repeat 2 --delay 80 1
sleep 1
expect_events "a disabled icon raises nothing"
[ "$drawn" -eq 0 ] && pass "a disabled icon opens no menu" || { fail "a disabled icon opened a menu"; xdotool key Escape; }
send "enabled on"

# The image follows IconIndex (clamped to the list).
check_icon() {  # name colour
    local i n
    for i in $(seq 20); do
        n=$(count_colour "$2" "$ICON_AREA")
        [ "$n" -gt 100 ] && break
        sleep 0.2
    done
    [ "$n" -gt 100 ] && pass "$1" || fail "$1 ($n pixels of $2)"
}
check_icon "image 0 shows red" "$RED"
send "index 1"
check_icon "IconIndex 1 shows green" "$GREEN"
send "index 7"
check_icon "IconIndex 7 is clamped to the last image, blue" "$BLUE"

# The shell loses the icon; "TaskbarCreated" brings it back.
send "lose"
sleep 1
[ "$(count_colour "$BLUE" "$ICON_AREA")" -eq 0 ] && pass "the lost icon is gone from the panel" \
    || fail "the icon is still in the panel after the shell lost it"
send "taskbarcreated"
check_icon "TaskbarCreated puts the visible icon back" "$BLUE"

send "quit"
MARK=1
wait_log "end" 10 && pass "the probe ends" || fail "the probe ends"
wait "$PROBE_PID"
code=$?
[ "$code" -eq 0 ] && pass "exit code 0" || fail "exit code $code"
e2e_exit
