#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively, then the Windows
# programs under Wine (code page 932, on Xvfb unless $DISPLAY is set).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/deps.sh

jobs="$(nproc 2>/dev/null || echo 2)"

echo "== native build and unit tests"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j "$jobs"
native_status=0
ctest --test-dir build/native --output-on-failure -j "$jobs" || native_status=$?

echo "== Windows build"
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win -j "$jobs"

echo "== Windows tests under Wine"
source scripts/wine-env.sh
talvern_display
talvern_wine_prefix
talvern_wine_warm
win_status=0
# One at a time: the tests drive windows and share one wineserver.
ctest --test-dir build/win --output-on-failure -j1 || win_status=$?

echo "== native tests: $([[ $native_status == 0 ]] && echo passed || echo FAILED)," \
  "Windows tests: $([[ $win_status == 0 ]] && echo passed || echo FAILED)"
[[ $native_status == 0 && $win_status == 0 ]]
