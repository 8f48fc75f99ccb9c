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
ctest --test-dir build/native --output-on-failure -j "$jobs" \
  --output-junit "$PWD/build/native/results.xml" || native_status=$?

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
# Each test program leaves a report of its cases, summed up below.
results="build/win/test-results"
rm -rf "$results" && mkdir -p "$results"
export GTEST_OUTPUT="xml:$(winepath -w "$PWD/$results")\\"
# One at a time: the tests drive windows and share one wineserver.
ctest --test-dir build/win --output-on-failure -j1 || win_status=$?
unset GTEST_OUTPUT

# Adds up the tests="N" failures="M" of the first <testsuites or <testsuite element of
# each report given.
cases=0 failed=0
count_cases() {
  local report header
  for report in "$@"; do
    [[ -f $report ]] || continue
    header="$(tr '\n' ' ' <"$report" | grep -o -E '<testsuites? [^>]*' | head -n1)"
    [[ $header == *tests=* ]] || continue
    cases=$((cases + $(sed -E 's/.*[[:space:]]tests="([0-9]+)".*/\1/' <<<"$header")))
    failed=$((failed + $(sed -E 's/.*[[:space:]]failures="([0-9]+)".*/\1/' <<<"$header")))
  done
}
count_cases build/native/results.xml
native_cases=$cases native_failed=$failed
count_cases "$results"/*.xml
echo "== unit tests: $((native_cases - native_failed)) passed, $native_failed failed;" \
  "Windows end-to-end cases: $((cases - native_cases - failed + native_failed)) passed," \
  "$((failed - native_failed)) failed"

echo "== native tests: $([[ $native_status == 0 ]] && echo passed || echo FAILED)," \
  "Windows tests: $([[ $win_status == 0 ]] && echo passed || echo FAILED)"
if [[ $native_status == 0 && $win_status == 0 ]]; then
  echo "All: $((cases - failed)) passed, $failed failed"
else
  echo "All: $((cases - failed)) passed, $((failed > 0 ? failed : 1)) failed"
  exit 1
fi
