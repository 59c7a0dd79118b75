# Shared by the end-to-end tests: sourced, never run.
# They drive the real Quillmoth.exe under Wine on the display given in DISPLAY,
# with xclip and cliptool.exe as the other programs on the clipboard.

QM_E2E_FAILURES=0
QM_E2E_PIDS=()

e2e_setup() {  # build-dir
    local build=$1
    here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
    # shellcheck source=scripts/wine-env.sh
    . "$here/../../scripts/wine-env.sh"
    qm_wine_env "$build/wineprefix"
    E2E_WORK=$(mktemp -d)
    E2E_APP="$E2E_WORK/app"
    mkdir -p "$E2E_APP"
    cp "$build/app/Quillmoth.exe" "$E2E_APP/"
    CLIPTOOL="$build/tests/e2e/cliptool.exe"
    trap e2e_teardown EXIT
}

e2e_teardown() {
    local pid
    for pid in "${QM_E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${QM_E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    QM_E2E_PIDS=()
    rm -rf "$E2E_WORK"
}

# Starts Quillmoth.exe (or the named copy) with arguments; E2E_PID is its process.
# Returns once the program is up: starting empties the clipboard, so a text put
# there first tells when. A fixed wait lost a copy whenever Wine started the
# program late, as the program then emptied the clipboard after the copy.
start_app() {  # [--exe NAME] args...
    local exe=Quillmoth.exe i
    if [ "${1:-}" = --exe ]; then exe=$2; shift 2; fi
    clip_put 'not started yet'
    (cd "$E2E_APP" && exec "$QM_WINE" "$exe" "$@") >/dev/null 2>&1 &
    E2E_PID=$!
    QM_E2E_PIDS+=("$E2E_PID")
    for i in $(seq 60); do
        sleep 0.5
        clip_get >/dev/null 2>&1 || break
    done
    # The clipboard is emptied before the program reads its settings and arguments.
    sleep 1
}

stop_app() {  # pid
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    sleep 1
}

clip_put() { printf "$1" | "$QM_WINE" "$CLIPTOOL" put; }
clip_get() { "$QM_WINE" "$CLIPTOOL" get; }

# Waits until the clipboard's CF_TEXT equals the expected bytes (printf format).
expect_clip() {  # name expected-printf-format [seconds]
    local want got i
    want=$(printf "$2" | od -An -tx1)
    for i in $(seq "${3:-10}"); do
        sleep 1
        got=$(clip_get | od -An -tx1)
        [ "$got" = "$want" ] && { pass "$1"; return 0; }
    done
    fail "$1: clipboard holds [${got:0:240}], want [$want]"
}

# A fingerprint of the tray icon's pixels at the panel's left end.
tray_image() { import -window root -crop 20x20+2+2 +repage -depth 8 txt:- 2>/dev/null | md5sum | cut -c1-12; }

pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; QM_E2E_FAILURES=$((QM_E2E_FAILURES + 1)); }
e2e_exit() { exit $((QM_E2E_FAILURES > 0)); }
