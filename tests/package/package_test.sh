#!/usr/bin/env bash
# Checks the release packages that scripts/package.sh left in dist/, then runs the unpacked
# talvern.exe under Wine for each architecture named on the command line:
#   bash tests/package/package_test.sh [ARCH...]     ARCH: x86 or x64
# Both zips are always unpacked (into build/package-test/) and checked; only the named
# architectures are run, each on a plain and a compound document. Ends with
# "package: N passed, M failed" and a non-zero status when anything failed.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.." || exit 2

source scripts/arch.sh
archs=(x86 x64)
declare -A machine=([x86]=14c [x64]=8664)
work=$PWD/build/package-test
results=$work/results

usage() {
  echo "usage: bash tests/package/package_test.sh [x86|x64 ...]" >&2
  exit 2
}

# Runs one check and records its outcome; what a failing check wrote on stderr follows
# its FAIL line.
check() {
  local name=$1
  shift
  if "$@" 2>"$work/why"; then
    echo "ok   $name"
    echo pass >>"$results"
  else
    echo "FAIL $name"
    cat "$work/why"
    echo fail >>"$results"
  fi
}

# The product's version text, as the build put it into the version resource.
product_version() {
  local header
  header="$(talvern_build_dir x86)/talvern_version.h"
  sed -n -E 's/^#define TALVERN_RC_VERSION_TEXT "([^"]+)"$/\1/p' "$header" 2>/dev/null
}

# Little-endian unsigned number of SIZE bytes at OFFSET in FILE, in decimal.
le_number() {
  local file=$1 offset=$2 size=$3 value=0 i
  local -a bytes
  read -r -a bytes < <(od -An -v -tu1 -j "$offset" -N "$size" "$file")
  ((${#bytes[@]} == size)) || return 1
  for ((i = size - 1; i >= 0; i--)); do value=$((value * 256 + bytes[i])); done
  echo "$value"
}

# --- contents of each zip ----------------------------------------------------------------

zip_entries_exact() {
  local zip=$1 folder=$2 expected actual
  [[ -f $zip ]] || { echo "  $zip is missing: run bash scripts/package.sh" >&2; return 1; }
  expected="$(printf '%s\n' "$folder/" "$folder/LICENSE.txt" "$folder/Readme.txt" \
    "$folder/talvern.exe")"
  actual="$(unzip -Z1 "$zip")" || return 1
  [[ $actual == "$expected" ]] && return 0
  local -a listed
  mapfile -t listed <<<"$actual"
  echo "  $zip holds:" >&2
  printf '    %s\n' "${listed[@]}" >&2
  return 1
}

unpack() {
  local zip=$1 into=$2
  rm -rf "$into" && mkdir -p "$into" && unzip -q "$zip" -d "$into"
}

# Decodes as code page 932, names the right version and has no placeholder left.
readme_is_cp932() {
  local readme=$1 version=$2 text
  text="$(iconv -f CP932 -t UTF-8 "$readme")" || { echo "  not code page 932" >&2; return 1; }
  local -a wanted=("バージョン $version" "関連付けを設定" "TVern.lnk" "Data.ini")
  local phrase
  for phrase in "${wanted[@]}"; do
    [[ $text == *"$phrase"* ]] || { echo "  no \"$phrase\" in $readme" >&2; return 1; }
  done
  if grep -q -E '@[A-Z_]+@' <<<"$text"; then
    echo "  placeholder left: $(grep -m1 -o -E '@[A-Z_]+@' <<<"$text")" >&2
    return 1
  fi
}

# Every line ends in CR LF, the last one included; no CR stands alone.
crlf_lines() {
  local file=$1 lines crs bare
  lines="$(tr -cd '\n' <"$file" | wc -c)"
  crs="$(tr -cd '\r' <"$file" | wc -c)"
  bare="$(LC_ALL=C grep -c -v $'\r$' "$file")"
  if ((lines == 0 || bare != 0 || crs != lines)) || [[ -n $(tail -c1 "$file" | tr -d '\n') ]]; then
    echo "  $file: $lines LF, $crs CR, $bare lines without CR LF" >&2
    return 1
  fi
}

licence_matches() {
  local licence=$1
  LC_ALL=C awk '{ printf "%s\r\n", $0 }' LICENSE | cmp -s - "$licence" && return 0
  echo "  $licence is not LICENSE with CR LF line ends" >&2
  return 1
}

# The PE header's machine field: 0x14c for x86, 0x8664 for x64.
exe_machine_is() {
  local exe=$1 want=$2 pe signature found
  [[ $(le_number "$exe" 0 2) == $((0x5a4d)) ]] || { echo "  $exe: no MZ header" >&2; return 1; }
  pe="$(le_number "$exe" 60 4)" || return 1
  signature="$(le_number "$exe" "$pe" 4)" || return 1
  ((signature == 0x4550)) || { echo "  $exe: no PE signature at $pe" >&2; return 1; }
  found="$(le_number "$exe" $((pe + 4)) 2)" || return 1
  ((found == 0x$want)) && return 0
  printf '  %s: machine 0x%x, expected 0x%s\n' "$exe" "$found" "$want" >&2
  return 1
}

sums_verify() {
  local version=$1 listed
  [[ -f dist/SHA256SUMS ]] || { echo "  dist/SHA256SUMS is missing" >&2; return 1; }
  listed="$(awk '{ print $2 }' dist/SHA256SUMS | sed 's/^\*//' | LC_ALL=C sort | tr '\n' ' ')"
  if [[ $listed != "talvern-$version-x64.zip talvern-$version-x86.zip " ]]; then
    echo "  dist/SHA256SUMS lists: $listed" >&2
    return 1
  fi
  (cd dist && sha256sum --check --strict --quiet SHA256SUMS >&2)
}

check_zip() {
  local arch=$1 version=$2 folder=talvern-$2
  local zip=dist/talvern-$version-$arch.zip unpacked=$work/$arch/$folder
  check "$arch: the zip holds $folder/ with talvern.exe, Readme.txt, LICENSE.txt only" \
    zip_entries_exact "$zip" "$folder"
  if ! unpack "$zip" "$work/$arch" 2>/dev/null; then
    check "$arch: the zip unpacks" false
    return
  fi
  check "$arch: Readme.txt is code page 932 and names version $version" \
    readme_is_cp932 "$unpacked/Readme.txt" "$version"
  check "$arch: Readme.txt has CR LF line ends" crlf_lines "$unpacked/Readme.txt"
  check "$arch: LICENSE.txt is the licence with CR LF line ends" \
    licence_matches "$unpacked/LICENSE.txt"
  check "$arch: talvern.exe is a PE image for machine 0x${machine[$arch]}" \
    exe_machine_is "$unpacked/talvern.exe" "${machine[$arch]}"
}

# --- the unpacked program under Wine -----------------------------------------------------

# The Windows form of a Unix path: Wine's drive Z: is the Unix root.
windows_path() {
  local path
  path="$(realpath -m "$1")"
  printf 'Z:%s' "${path//\//\\}"
}

# Runs a command for at most SECONDS: a message box or the settings window would otherwise
# wait for a user who is not there.
run_limited() {
  local seconds=$1 pid tries
  shift
  "$@" &
  pid=$!
  for ((tries = 0; tries < seconds * 10; tries++)); do
    kill -0 "$pid" 2>/dev/null || {
      wait "$pid"
      return
    }
    sleep 0.1
  done
  pkill -P "$pid" 2>/dev/null
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  echo "  still running after ${seconds} s (a message or the settings window?)" >&2
  return 124
}

# Two stand-in copies take the places of Word and the text editor, in a folder with a space
# as programs usually are; each records how it was started in "<its path>.log". Data.ini
# beside the unpacked exe names them.
prepare_run() {
  local arch=$1 unpacked=$2
  local programs="$work/$arch/Program Files" docs="$work/$arch/documents folder"
  local standin
  standin="$(talvern_build_dir "$arch")/tests/standin/standin.exe"
  talvern_build_windows "$arch" standin >/dev/null || return 1
  rm -rf "$programs" "$docs" && mkdir -p "$programs" "$docs" || return 1
  cp "$standin" "$programs/WINWORD.EXE" && cp "$standin" "$programs/notepad.exe" || return 1
  printf 'A plain text document.\r\n' >"$docs/plain.doc"
  printf '\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1\0\0\0\0\0\0\0\0' >"$docs/compound.doc"
  printf "[EXE]\r\nWORD=%s\r\nTEXT=%s\r\n" "$(windows_path "$programs/WINWORD.EXE")" \
    "$(windows_path "$programs/notepad.exe")" | iconv -f UTF-8 -t CP932 >"$unpacked/Data.ini"
}

# Opens DOCUMENT with the unpacked talvern.exe and checks that exactly PROGRAM (WINWORD.EXE
# or notepad.exe) got it as its one argument, as the program's own splitting of its command
# line gives it (the stand-in's fields 4 and 5: the number of arguments, the first).
opens_with() {
  local arch=$1 exe=$2 document=$3 program=$4 other=$5
  local programs="$work/$arch/Program Files"
  local status=0 tries received expected
  rm -f "$programs"/*.log
  run_limited 30 talvern_wine "$exe" "$(windows_path "$document")" || status=$?
  ((status == 0)) || { echo "  talvern.exe ended with status $status" >&2; return 1; }
  for ((tries = 0; tries < 200; tries++)); do
    [[ -s $programs/$program.log || -s $programs/$other.log ]] && break
    sleep 0.1
  done
  if [[ -e $programs/$other.log ]]; then
    echo "  $(basename "$document") went to $other" >&2
    return 1
  fi
  [[ -s $programs/$program.log ]] || { echo "  no program was started" >&2; return 1; }
  received="$(cut -f4,5 "$programs/$program.log")"
  expected="1"$'\t'"$(windows_path "$document")"
  [[ $received == "$expected" ]] && return 0
  printf '  %s got the arguments (count, first)\n    %s\n  expected\n    %s\n  its record:\n    %s\n' \
    "$program" "$received" "$expected" "$(cat "$programs/$program.log")" >&2
  return 1
}

# In a subshell of its own: the Wine set-up belongs to one architecture, and what it
# started stops when the subshell ends.
run_arch() {
  local arch=$1 version=$2 reason
  local unpacked=$work/$arch/talvern-$version docs="$work/$arch/documents folder"
  (
    export TALVERN_ARCH=$arch
    source scripts/wine-env.sh
    if ! reason="$(talvern_arch_runnable "$arch")"; then
      echo "  $reason" >&2
      check "$arch: this machine runs $arch programs" false
      exit 0
    fi
    if ! prepare_run "$arch" "$unpacked" || ! talvern_display || ! talvern_wine_prefix; then
      check "$arch: set-up for the run under Wine" false
      exit 0
    fi
    talvern_wine_warm
    check "$arch: the unpacked talvern.exe opens a plain document with the text editor" \
      opens_with "$arch" "$unpacked/talvern.exe" "$docs/plain.doc" notepad.exe WINWORD.EXE
    check "$arch: the unpacked talvern.exe opens a compound document with Word" \
      opens_with "$arch" "$unpacked/talvern.exe" "$docs/compound.doc" WINWORD.EXE notepad.exe
  )
}

main() {
  local arch version
  for arch in "$@"; do [[ -n ${machine[$arch]:-} ]] || usage; done
  mkdir -p "$work" && : >"$results"
  version="$(product_version)"
  if [[ -z $version ]]; then
    echo "package_test: build/win-x86 has no version: run bash scripts/package.sh" >&2
    check "the product version is known" false
  else
    for arch in "${archs[@]}"; do check_zip "$arch" "$version"; done
    check "SHA256SUMS lists both zips and matches them" sums_verify "$version"
    for arch in "$@"; do run_arch "$arch" "$version"; done
  fi
  local passed failed
  passed="$(grep -c -x pass "$results")"
  failed="$(grep -c -x fail "$results")"
  echo "package: $passed passed, $failed failed"
  ((failed == 0))
}

main "$@"
