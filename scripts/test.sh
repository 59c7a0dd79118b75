#!/usr/bin/env bash
# Checks the include rules between the folders, builds every configuration and
# runs every test: native (plain and sanitized),
# each fuzz target for a bounded time, Windows under Wine, the end-to-end tests against
# the real Quillmoth.exe, and the packages with a silent install and uninstall under Wine.
# Starts a private virtual display (and a tray panel) when DISPLAY is unset and
# stops only what it started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh

# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
trap 'qm_wine_stop; qm_display_stop' EXIT

status=0
step() { echo; echo "== $*"; }

step "include rules between the folders"
bash scripts/check-includes.sh || status=1

step "native build and tests"
scripts/build.sh native
(cd build/native && ctest --output-on-failure) || status=1

step "native tests under AddressSanitizer and UBSan"
scripts/build.sh native-asan
(cd build/native-asan && ctest --output-on-failure) || status=1

step "fuzzing: every libFuzzer target for ${QM_FUZZ_SECONDS:=45} s"
scripts/fuzz.sh all "$QM_FUZZ_SECONDS" || status=1

step "Windows build and tests under Wine"
scripts/build.sh windows
qm_display_start
qm_wine_env "$root/build/windows/wineprefix"
qm_wm_start
(cd build/windows && ctest --output-on-failure) || status=1
qm_wm_stop

if ls tests/e2e/*_e2e.sh >/dev/null 2>&1; then
    step "end-to-end tests against Quillmoth.exe"
    for t in tests/e2e/*_e2e.sh; do
        echo "-- $t"
        bash "$t" "$root/build/windows" || status=1
    done
fi

step "packages, and the installer under Wine"
if bash scripts/package.sh; then
    bash tests/install_test.sh "$root/build/windows" "$root/dist" || status=1
else
    status=1
fi

echo
if [ "$status" -eq 0 ]; then echo "ALL TESTS PASSED"; else echo "SOME TESTS FAILED"; fi
exit "$status"
