#!/usr/bin/env bash
# Configures and builds one configuration: native, native-asan, windows or fuzz
# (the libFuzzer targets, with clang).
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
    fuzz) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                -DQM_FUZZ=ON -DQM_BENCHMARKS=OFF) ;;
    *) echo "usage: $0 native|native-asan|windows|fuzz" >&2; exit 2 ;;
esac
dir="$root/build/$config"
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" "${args[@]}" >/dev/null
fi
cmake --build "$dir" -j "$jobs" "$@"
