#!/usr/bin/env bash
# Builds the unit tests and the fuzz targets with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, any report fatal) in build/asan, runs the unit tests
# and replays every fuzz target over its committed corpus (tests/fuzz/corpus/<target>).
# Ends with "sanitize: N passed, M failed" and fails when M is not 0.
#   scripts/sanitize.sh [--build-only]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
jobs="$(nproc 2>/dev/null || echo 2)"
build=build/asan

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

if ! CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTALVERN_FUZZ=ON >/dev/null || ! cmake --build "$build" -j "$jobs"; then
  echo "sanitize: 0 passed, 1 failed (the sanitized build failed)"
  exit 1
fi
[[ ${1:-} == --build-only ]] && exit 0

# Every unit test case and every corpus replay is one ctest test.
status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" \
  --output-junit "$PWD/$build/results.xml" || status=$?
header="$(tr '\n' ' ' <"$build/results.xml" | grep -o -E '<testsuite [^>]*' | head -n1 || true)"
total="$(sed -E 's/.*[[:space:]]tests="([0-9]+)".*/\1/' <<<"$header")"
failed="$(sed -E 's/.*[[:space:]]failures="([0-9]+)".*/\1/' <<<"$header")"
[[ $total =~ ^[0-9]+$ && $failed =~ ^[0-9]+$ ]] || total=0 failed=1
((status == 0 || failed > 0)) || failed=1
echo "sanitize: $((total - failed)) passed, $failed failed"
((failed == 0))
