#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively, then for each
# Windows architecture (x64, x86) the Windows programs, under Wine (code page 932, on Xvfb
# unless $DISPLAY is set) where this machine can run that architecture.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/deps.sh

jobs="$(nproc 2>/dev/null || echo 2)"
source scripts/arch.sh

# Adds up the tests="N" failures="M" of the first <testsuites or <testsuite element of
# each report given into $cases and $failed, and counts the reports in $reports.
count_cases() {
  local report header
  cases=0 failed=0 reports=0
  for report in "$@"; do
    [[ -f $report ]] || continue
    header="$(tr '\n' ' ' <"$report" | grep -o -E '<testsuites? [^>]*' | head -n1)"
    [[ $header == *tests=* ]] || continue
    reports=$((reports + 1))
    cases=$((cases + $(sed -E 's/.*[[:space:]]tests="([0-9]+)".*/\1/' <<<"$header")))
    failed=$((failed + $(sed -E 's/.*[[:space:]]failures="([0-9]+)".*/\1/' <<<"$header")))
  done
}

total=0 total_failed=0 ran=() failures=()
# Records one stage: its name, its exit status, its case count and failures.
record() {
  local name="$1" status="$2" n="$3" f="$4"
  ((status == 0 || f > 0)) || f=1
  total=$((total + n)) total_failed=$((total_failed + f))
  echo "== $name: $((n - f)) passed, $f failed"
  ((status == 0)) || failures+=("$name")
}

echo "== native build and unit tests"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j "$jobs"
status=0
ctest --test-dir build/native --output-on-failure -j "$jobs" \
  --output-junit "$PWD/build/native/results.xml" || status=$?
count_cases build/native/results.xml
record "unit tests" "$status" "$cases" "$failed"

echo "== sanitized unit tests and fuzz corpora (clang, ASan, UBSan)"
status=0
bash scripts/sanitize.sh | tee build/sanitize.log || status=$?
read -r passed failed < <(sed -n -E 's/^sanitize: ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/p' \
  build/sanitize.log | tail -n1 | grep . || echo "0 1")
record "sanitized tests" "$status" "$((passed + failed))" "$failed"

echo "== static analysis (clang-tidy, cppcheck)"
status=0
bash scripts/lint.sh || status=$?
record "static analysis" "$status" 1 "$((status == 0 ? 0 : 1))"

for arch in x64 x86; do
  echo "== Windows build, $arch"
  talvern_build_windows "$arch"
  dir="$(talvern_build_dir "$arch")"
  results="$dir/test-results"
  rm -rf "$results" && mkdir -p "$results/gtest"
  status=0
  if reason="$(talvern_arch_runnable "$arch")"; then
    echo "== Windows tests, $arch, under Wine"
    # In a subshell: each architecture has its own prefix, wineserver and display.
    (
      export TALVERN_ARCH="$arch"
      source scripts/wine-env.sh
      talvern_display
      talvern_wine_prefix
      talvern_wine_warm
      # Each test program leaves a report of its cases, summed up below.
      export GTEST_OUTPUT="xml:$(talvern_winepath -w "$PWD/$results/gtest")\\"
      # One at a time: the tests drive windows and share one wineserver.
      ctest --test-dir "$dir" --output-on-failure -j1 \
        --output-junit "$PWD/$results/ctest.xml"
    ) || status=$?
    ran+=("$arch")
  else
    echo "== Windows tests, $arch: not run under Wine here: $reason. The $arch programs" \
      "were built; only the checks that need no Wine run."
    ctest --test-dir "$dir" --output-on-failure -L static \
      --output-junit "$PWD/$results/ctest.xml" || status=$?
  fi
  # Test programs report their cases (gtest/); each ctest test without such a report
  # (the checks that need no Wine) counts as one case.
  count_cases "$results"/gtest/*.xml
  program_cases=$cases program_failed=$failed program_reports=$reports
  count_cases "$results/ctest.xml"
  record "Windows $arch" "$status" "$((program_cases + cases - program_reports))" \
    "$((program_failed + (failed > program_failed ? failed - program_failed : 0)))"
done

echo "== release packages"
status=0
rm -f build/package-test.log
bash scripts/package.sh || status=$?
if ((status == 0)); then
  # Both zips are checked; the unpacked programs run for the architectures that ran above.
  bash tests/package/package_test.sh "${ran[@]}" | tee build/package-test.log || status=$?
fi
summary="$(grep -E '^package: [0-9]+ passed, [0-9]+ failed' build/package-test.log 2>/dev/null |
  tail -n1)" || true
read -r passed failed < <(sed -E 's/^package: ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/' \
  <<<"${summary:-package: 0 passed, 0 failed}")
record "release packages" "$status" "$((passed + failed))" "$failed"

archs="$(IFS=+; echo "${ran[*]}")"
echo "== architectures run under Wine: ${ran[*]:-none}"
if ((${#failures[@]})); then
  echo "== failed: ${failures[*]}"
  echo "${archs:-native}: $((total - total_failed)) passed, $((total_failed > 0 ? total_failed : 1)) failed"
  exit 1
fi
echo "${archs:-native}: $((total - total_failed)) passed, $total_failed failed"
