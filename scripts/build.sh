#!/usr/bin/env bash
# Configures and builds one configuration: native, native-asan or windows.
# Usage: scripts/build.sh CONFIG [extra cmake --build arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
config=$1
shift
jobs=${QM_JOBS:-$(nproc)}
case "$config" in
    native) args=(-DCMAKE_BUILD_TYPE=Release) ;;
    native-asan) args=(-DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON -DQM_BENCHMARKS=OFF) ;;
    windows) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake") ;;
    *) echo "usage: $0 native|native-asan|windows" >&2; exit 2 ;;
esac
dir="$root/build/$config"
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" "${args[@]}" >/dev/null
fi
cmake --build "$dir" -j "$jobs" "$@"
