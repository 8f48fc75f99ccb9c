#!/usr/bin/env bash
# Fuzzes every target of tests/fuzz for a while, one after the other on one core, growing
# the corpus in build/fuzz-corpus/<target> from the committed seeds. Prints runs and
# executions per second per target; an input that breaks a property is kept in
# build/fuzz-findings/ and makes the script fail.
#   scripts/fuzz.sh [seconds per target]   (default 60)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${1:-60}"
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "usage: scripts/fuzz.sh [seconds per target]" >&2; exit 2; }

bash scripts/sanitize.sh --build-only
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

findings=0
mkdir -p build/fuzz-findings
for seeds in tests/fuzz/corpus/*/; do
  target="$(basename "$seeds")"
  corpus="build/fuzz-corpus/$target"
  log="build/fuzz-findings/$target.log"
  mkdir -p "$corpus"
  status=0
  "build/asan/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="build/fuzz-findings/$target-" \
    "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")"
  printf 'fuzz: %-10s %10s runs %7s execs/s  corpus %4d' "$target" "${runs:-?}" \
    "${speed:-?}" "$(find "$corpus" -type f | wc -l)"
  if ((status != 0)); then
    findings=$((findings + 1))
    echo "  FINDING (see $log)"
    grep -m1 -E 'property broken|ERROR: (Address|Leak|libFuzzer)|runtime error' "$log" || true
  else
    echo
  fi
done
echo "fuzz: $findings finding(s)"
((findings == 0))
