#!/usr/bin/env bash
# Static analysis of the product code (tests and benchmarks excluded): the direction of the
# includes between the product folders, clang-tidy with the repository's .clang-tidy, and
# cppcheck. The portable core is parsed as built natively and, with every *-win32.cc file,
# as built for the MinGW targets (32- and 64-bit), each file with the flags of its real
# build (compile_commands.json). Exits non-zero on any finding.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$PWD"
jobs="$(nproc 2>/dev/null || echo 2)"
out=build/lint
mkdir -p "$out"

# Configures one build (nothing is compiled); its compile_commands.json goes to $dir/tidy/
# without gcc's inter-procedural optimisation switches (-fno-ipa-..., -fno-partial-inlining),
# which change no meaning and which clang does not know, and with only the product files to $dir/product/.
# cppcheck cannot read the quoted L"..." product name definitions, which only feed texts, so
# they are left out there.
configure() {
  local dir="$1"
  shift
  cmake -S . -B "$dir" -G Ninja --no-warn-unused-cli -DCMAKE_EXPORT_COMPILE_COMMANDS=ON "$@" >/dev/null
  mkdir -p "$dir/product" "$dir/tidy"
  jq '[.[] | .command |= gsub(" -fno-(ipa-[a-z-]+|partial-inlining)"; "")]' "$dir/compile_commands.json" \
    >"$dir/tidy/compile_commands.json"
  jq --arg root "$root/" '[.[]
      | select(.file | startswith($root))
      | select(.file | ltrimstr($root) | test("^(app|launcher|platform|settings|shell|window)/[^/]*\\.cc$"))
      | select(.file | test("_test\\.cc$") | not)
      | .command |= gsub("-DTALVERN_[A-Z_]+=(\\\\\"|[^ ])*( [^ -](\\\\\"|[^ ])*)*"; "")]' \
    "$dir/tidy/compile_commands.json" >"$dir/product/compile_commands.json"
}

# Runs "$@", shows and keeps what it prints; a tool that fails (cannot parse a file, or
# crashes) counts as a finding too.
noise='^[0-9]+ (warning|error)s?( and [0-9]+ errors?)? generated|^Suppressed [0-9]+ warnings'
noise+='|^Use -(header-filter|system-headers)'
record() {
  local status=0
  "$@" >"$out/last.txt" 2>&1 || status=$?
  grep -v -E "$noise" "$out/last.txt" | tee -a "$out/findings.txt" || true
  if ((status != 0)); then
    echo "error: $1 failed (exit status $status) [tool-failure]" | tee -a "$out/findings.txt"
  fi
}

# clang-tidy over every product file of build $1; further arguments go to clang-tidy.
tidy() {
  local dir="$1"
  shift
  jq -r '.[].file' "$dir/product/compile_commands.json" >"$out/files.txt"
  record xargs -P "$jobs" -I{} clang-tidy --quiet -p "$dir/tidy" "$@" {} <"$out/files.txt"
}

# cppcheck over every product file of build $1; further arguments go to cppcheck. With
# --quiet, every line it prints is a finding (or a file it could not check).
check() {
  local dir="$1"
  shift
  record cppcheck --project="$dir/product/compile_commands.json" --quiet --std=c++17 \
    --enable=warning,style,performance,portability --inline-suppr \
    --suppressions-list=.cppcheck-suppressions --error-exitcode=0 -j "$jobs" \
    --template='{file}:{line}:{column}: {severity}: {message} [cppcheck-{id}]' "$@"
}

# clang (not MinGW's gcc) parses the Windows files: it needs the MinGW C++ library and
# Windows headers, but not gcc's own intrinsics headers.
mingw_args() {
  local compiler triple
  compiler="$(jq -r '.[0].command' "$1/product/compile_commands.json" | cut -d' ' -f1)"
  triple="$(basename "$compiler" | sed 's/-g++.*//')"
  echo "--extra-arg=--target=$triple"
  "$compiler" -E -x c++ - -v </dev/null 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search list/p' |
    grep -E '/c\+\+|-w64-mingw32/include$' | sed 's/^ */--extra-arg=-isystem/'
}

: >"$out/findings.txt"
# Folders depend one way: a file includes headers only of its own folder and the folders
# below it (platform <- settings <- launcher, shell <- window <- app).
echo "== lint: include direction"
declare -A rank=([platform]=0 [settings]=1 [launcher]=2 [shell]=2 [window]=3 [app]=4)
for folder in "${!rank[@]}"; do
  while IFS=: read -r file line included; do
    if [[ -v rank[$included] && $included != "$folder" ]] &&
      ((rank[$included] >= rank[$folder])); then
      echo "$file:$line: error: includes $included/, which is not below $folder/ [include-direction]"
    fi
  done < <(grep -r -n -o -E '^#include "[a-z_]+/' --include='*.cc' --include='*.h' "$folder" | sed -E 's|#include "||; s|/$||')
done | tee -a "$out/findings.txt"
# platform/ is the bottom, so its headers name nothing a folder above defines: a function
# defined there (say a Win32 factory) or a type declared there is declared by its own folder.
echo "== lint: platform/ headers name nothing above them"
shopt -s nullglob
above=()
for folder in "${!rank[@]}"; do
  [[ $folder != platform ]] && above+=("$folder"/*.cc "$folder"/*.h)
done
shopt -u nullglob
mapfile -t above < <(printf '%s\n' "${above[@]}" | grep -v -E '_test\.cc$|_test_fixture\.h$')
function_head='^[A-Za-z_][^(=;/]*[ *&]([A-Za-z_][A-Za-z0-9_]*)\(.*'
type_head='^(class|struct) ([A-Za-z_][A-Za-z0-9_]*)[^;]*$'
# Operators (app/ replaces the global operator new and delete) name no function of their own.
names="$({
  grep -h -E "$function_head" "${above[@]}" | grep -v -E '\boperator\b' |
    sed -E "s/$function_head/\\1/"
  grep -h -E "$type_head" "${above[@]}" | sed -E "s/$type_head/\\2/"
} | sort -u | paste -s -d '|')"
grep -H -n -v -E '^ *//' platform/*.h | grep -E "^[^:]+:[0-9]+:.*\b($names)\b" |
  sed -E "s/^([^:]+:[0-9]+):.*\b($names)\b.*/\1: error: names \2, which a folder above defines [platform-names-above]/" |
  tee -a "$out/findings.txt" || true
echo "== lint: portable core (native)"
CC=clang CXX=clang++ configure "$out/native"
tidy "$out/native"
check "$out/native" --platform=unix64

for target in i686 x86_64; do
  echo "== lint: Windows program ($target-w64-mingw32)"
  configure "$out/$target" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$target.cmake
  mapfile -t args < <(mingw_args "$out/$target")
  tidy "$out/$target" "${args[@]}"
  platform=win32W
  [[ $target == x86_64 ]] && platform=win64
  check "$out/$target" --platform=$platform --library=windows -D_WIN32
done

findings="$(grep -c -E ': (warning|error|style|performance|portability|information):|^error: |Bailing out' \
  "$out/findings.txt" || true)"
echo "lint: $findings finding(s)"
((findings == 0))
