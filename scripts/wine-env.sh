# Shared by the scripts that run Wine: sourced, never run.
#
# qm_wine_env PREFIX   sets WINEPREFIX, the Japanese locale and QM_WINE, and creates
#                      the prefix once (serialised, since CTest may run in parallel),
#                      with the Japanese dialog fonts mapped to the IPA font
# qm_display_start     when DISPLAY is unset: starts Xvfb on a free display and
#                      trayer on it, and exports DISPLAY
# qm_wm_start          a window manager on a display of our own (qm_wm_stop ends it)
# qm_display_stop      stops what qm_display_start started, by process id

qm_find_wine() {
    local w
    for w in "$(command -v wine64 2>/dev/null)" /usr/lib/wine/wine64 "$(command -v wine 2>/dev/null)"; do
        [ -n "$w" ] && [ -x "$w" ] && { echo "$w"; return 0; }
    done
    echo "wine64 not found: run scripts/install-deps.sh" >&2
    return 1
}

qm_wine_env() {
    export WINEPREFIX=$1
    export WINEARCH=win64
    export WINEDEBUG=${WINEDEBUG:--all}
    # Wine takes its ANSI code page from the locale: ja_JP gives code page 932.
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    QM_WINE=$(qm_find_wine) || return 1
    QM_WINESERVER=$(dirname "$QM_WINE")/wineserver
    [ -x "$QM_WINESERVER" ] || QM_WINESERVER=$(command -v wineserver)
    export QM_WINE QM_WINESERVER
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$(dirname "$WINEPREFIX")"
        (
            flock 9
            if [ ! -f "$WINEPREFIX/system.reg" ]; then
                DISPLAY= "$QM_WINE" wineboot -i >/dev/null 2>&1
                "$QM_WINESERVER" -w
            fi
        ) 9>"$WINEPREFIX.lock"
    fi
    qm_wine_fonts
}

# The dialog's font "MS P Gothic" (named in Japanese) and its relatives are Windows fonts: map them to
# the IPA P Gothic font (fonts-ipafont-gothic). Once per prefix; "MS UI Gothic" is
# written last and marks the step as done.
qm_wine_fonts() {
    grep -q '^"MS UI Gothic"="IPAPGothic"' "$WINEPREFIX/system.reg" 2>/dev/null && return 0
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    (
        flock 9
        "$QM_WINE" reg query "$key" /v "MS UI Gothic" 2>/dev/null | grep -q IPAPGothic && exit 0
        local face
        for face in "$(printf '\xef\xbc\xad\xef\xbc\xb3\x20\xef\xbc\xb0\xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf')" 'MS PGothic' 'MS UI Gothic'; do
            DISPLAY= "$QM_WINE" reg add "$key" /v "$face" /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
        done
    ) 9>"$WINEPREFIX.lock"
}

QM_STARTED_PIDS=()

qm_display_start() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    QM_STARTED_PIDS+=($!)
    export DISPLAY=":$n"
    QM_OWN_DISPLAY=1
    local i
    for i in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    trayer --edge top --align left --widthtype pixel --width 160 --height 24 >/dev/null 2>&1 &
    QM_STARTED_PIDS+=($!)
    sleep 0.5
}

# A window manager on our own display: Wine then hides and destroys windows at once
# instead of waiting for one (about 2 s a window), and draws captions. The tray
# tests drive menus with the keyboard, which needs the pointer-root focus of a
# display without one, so the manager runs only around the unit tests.
QM_WM_PID=""
qm_wm_start() {
    [ -n "${QM_OWN_DISPLAY:-}" ] || return 0
    command -v openbox >/dev/null || return 0
    openbox >/dev/null 2>&1 &
    QM_WM_PID=$!
    sleep 1
}

qm_wm_stop() {
    [ -n "$QM_WM_PID" ] || return 0
    kill "$QM_WM_PID" 2>/dev/null || true
    wait "$QM_WM_PID" 2>/dev/null || true
    QM_WM_PID=""
}

qm_display_stop() {
    qm_wm_stop
    local pid
    for pid in "${QM_STARTED_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${QM_STARTED_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    QM_STARTED_PIDS=()
}

# Ends the Wine processes of the prefix set by qm_wine_env (a prefix of our own).
qm_wine_stop() {
    [ -n "${WINEPREFIX:-}" ] && [ -n "${QM_WINESERVER:-}" ] && "$QM_WINESERVER" -k 2>/dev/null || true
}
