#!/usr/bin/env bash
# Size and dispatch speed of talvern.exe. For each Windows architecture: the size of the
# release exe and, from its link map, the five largest contributors. For each architecture
# this machine can run, with the Word-formats option off and on: Talvern's whole run for
# one plain document against a minimal launcher that only starts the same editor stand-in,
# in interleaved pairs (bench/bench_runner-win32.cc): R = the median of the per-pair ratios
# talvern / minimal with its 95 % interval (goal at most 1.10), the milliseconds Talvern
# adds and the CPU time of each. With the option off, also one run with 20 plain documents
# against the minimal launcher starting the editor once per document, in pairs the same way
# (a quarter of the pairs, at least 30). Also lists the DLLs talvern.exe loads in dispatch
# mode and the bytes it asks for per document, the document's apart from the started
# program's (its headers and version information), and beside R the file-system calls of
# one dispatch: the ntdll calls named Nt...File (NtCreateFile, NtOpenFile, NtReadFile, NtQuery...File)
# made in talvern.exe's process from its start to its exit, as a WINEDEBUG=+relay trace of
# the plain document lists them. Closes with one summary line per architecture.
# Last, the time from start to the settings window shown: the first run (no Data.ini) beside
# a Word registered as a local server that takes 20 s to start, against an opening with a
# valid Data.ini, in pairs as for dispatch (goal: R at most 1.20).
#   scripts/bench.sh [pairs]            (default 1300; the window's opening: 200 pairs)
#   scripts/bench.sh window [pairs]     only the window's opening (default 200 pairs)
#   scripts/bench.sh against REV [pairs]
#                                       also builds commit REV's talvern.exe and, per option,
#                                       times it against the minimal launcher (R then) and
#                                       the current one against it in the launcher's place
#                                       (R = now / then), all in the same run
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
only_window=false
against=""
if [[ ${1:-} == window ]]; then
  only_window=true
  shift
elif [[ ${1:-} == against ]]; then
  against="$(git rev-parse --short "${2:?against: which commit?}")"
  shift 2
fi
pairs="${1:-1300}"
window_pairs=200
if $only_window; then window_pairs="${1:-200}"; fi

bash scripts/deps.sh
source scripts/arch.sh

# Other work on the machine makes Wine's process start vary far more than Talvern adds;
# where allowed (root), the benchmark and the Wine processes it starts run at a higher
# priority, which takes most of that out. Both launchers get the same.
if renice -n -15 -p $$ >/dev/null 2>&1; then
  priority="raised (nice -15)"
else
  priority="normal (renice not allowed)"
fi

# The five largest contributors to the exe in its link map (ld -Map): the sizes of the
# sections each object or archive member put into the image, largest first. The map is read
# by its structure, not its headings (which ld writes in the locale's language): the image's
# sections follow the first "LOAD" line. awk only picks the lines (plain POSIX awk: Debian's
# mawk as well as gawk); bash does the hex arithmetic.
largest_in_map() {
  local -A sum=()
  local size file
  while read -r size file; do
    sum[$file]=$((${sum[$file]:-0} + size))
  done < <(awk '
    /^LOAD / { on = 1; next }
    !on || /^ \*fill\*/ { next }
    /^ ?[^ ]* +0x[0-9a-fA-F]+ +0x[0-9a-fA-F]+ [^ ]/ {
      if ($1 ~ /^0x/) { size = $2; i = 3 } else { size = $3; i = 4 }
      file = $i
      for (k = i + 1; k <= NF; k++) file = file " " $k
      sub(/.*\//, "", file)
      print size, file
    }
  ' "$1")
  for file in "${!sum[@]}"; do
    if ((sum[$file] > 0)); then printf '%d %s\n' "${sum[$file]}" "$file"; fi
  done | sort -rn | head -5
}

# Prints the size of ARCH's talvern.exe and its largest contributors; appends the size to
# the arch's summary line.
size_arch() {
  local arch="$1" build size bytes object
  build="$(talvern_build_dir "$arch")"
  size="$(stat -c %s "$build/talvern.exe")"
  echo "== $arch: size of talvern.exe: $size bytes; largest contributors ($build/talvern.map):"
  while read -r bytes object; do
    printf '  %7d  %s\n' "$bytes" "$object"
  done < <(largest_in_map "$build/talvern.map")
  arch_sizes["$arch"]="talvern.exe $size bytes"
}

# Waits (up to 10 s) until the stand-ins started from the bench folder have ended.
wait_for_stand_ins() {
  local tries
  for ((tries = 0; tries < 100; tries++)); do
    pgrep -f 'talvern bench.(notepad|WINWORD)' >/dev/null || return 0
    sleep 0.1
  done
}

# The Wine process id (hex) of talvern.exe (or the exe named NAME) in a +pid,+loaddll
# trace, and the address it was loaded at: "<pid>:trace:loaddll:... Loaded L"...\talvern.exe"
# at <base>: native".
talvern_in_trace() {
  local name="${2:-talvern}"
  grep -m1 -o '^[0-9a-f]*:.*Loaded L"[^"]*\\'"$name"'\.exe" at [0-9A-Fa-f]*' "$1" |
    sed 's/^\([0-9a-f]*\):.* at \([0-9A-Fa-f]*\)$/\1 \2/'
}

# The file-system calls in a +pid,+relay trace of one run of talvern.exe (or NAME.exe): its
# process's calls of ntdll functions named Nt...File, as said at the top.
file_system_calls() {
  local pid base
  read -r pid base < <(talvern_in_trace "$1" "${2:-talvern}")
  grep -c "^$pid:[0-9a-f]*:Call ntdll\.Nt[A-Za-z]*File(" "$1" || true
}

# Sums the lengths of the KERNEL32.ReadFile calls whose return address lies in talvern.exe
# (not kernel32 reading Data.ini), apart for the document (the file named DOCUMENT) and for
# the rest (the started program's headers and version information). Each read names a
# handle ("Call KERNEL32.ReadFile(handle,buffer,length,...) ret=<caller>"), which the last
# "Ret  KERNEL32.CreateFileW() retval=<handle>" opened, for the path its call named.
# Prints "<document bytes> <calls> <program bytes> <calls>".
bytes_read() {
  local trace="$1" image_size="$2" document="$3" pid base kind handle length caller path=""
  local -A opened=() sum=([document]=0 [program]=0) calls=([document]=0 [program]=0)
  read -r pid base < <(talvern_in_trace "$trace")
  while IFS='|' read -r kind handle length caller; do
    case $kind in
      open) path="$handle" ;;
      opened) opened[$handle]="$path" ;;
      read)
        if ((16#$caller >= 16#$base && 16#$caller < 16#$base + image_size)); then
          local of=program
          [[ ${opened[$handle]:-} == *"$document" ]] && of=document
          sum[$of]=$((sum[$of] + 16#$length))
          calls[$of]=$((calls[$of] + 1))
        fi
        ;;
    esac
  done < <(grep "^$pid:" "$trace" | sed -n \
    -e 's/.*Call KERNEL32\.CreateFileW([0-9a-f]* L"\([^"]*\)".*/open|\1/p' \
    -e 's/.*Ret  KERNEL32\.CreateFileW() retval=\([0-9a-f]*\).*/opened|\1/p' \
    -e 's/.*Call KERNEL32\.ReadFile(\([0-9a-f]*\),[0-9a-f]*,\([0-9a-f]*\),.*ret=\([0-9a-f]*\)$/read|\1|\2|\3/p')
  echo "${sum[document]} ${calls[document]} ${sum[program]} ${calls[program]}"
}

# Runs $pairs (or PAIRS) interleaved pairs of FIRST.exe and SECOND.exe (in the bench folder)
# on the plain document (or the argument text DOCUMENTS); the runner's report goes to stderr
# and build/bench-ARCH-OPTION[-NAME]-runner.txt, each pair to ...-pairs.csv. Prints
# "R (interval)|pairs needed|ms added|CPU first|CPU second".
run_pairs() {
  local first="$1" second="$2" name="${3:+-$3}" documents="${4:-$win\\plain.doc}"
  local pairs="${5:-$pairs}" out timing
  echo "== $arch, Word-formats option $option: whole-run wall time, $first / $second," \
    "$pairs pairs${4:+, $many documents} (each pair: build/bench-$arch-$option$name-pairs.csv)" >&2
  # To a file, not a pipe: a process the runner started and could not end would hold a pipe
  # open, and reading it would never finish.
  out="build/bench-$arch-$option$name-runner.txt"
  if ! talvern_wine "$build/bench/bench_runner.exe" "$pairs" "$win\\$first.exe" \
    "$win\\$second.exe" "$documents" "$win\\pairs.csv" >"$out"; then
    echo "bench_runner failed ($out)" >&2
    return 1
  fi
  timing="$(tr -d '\r' <"$out")"
  cp "$bench/pairs.csv" "build/bench-$arch-$option$name-pairs.csv"
  echo "$timing" >&2
  local r needed added cpu_t cpu_m
  r="$(sed -n 's/^R (median of pair ratios): \([0-9.]*\), 95 % interval \([0-9.]*\) to \([0-9.]*\)$/\1 (\2 to \3)/p' <<<"$timing")"
  needed="$(sed -n 's/.*: about \([0-9]*\) pairs at this spread$/\1/p' <<<"$timing")"
  added="$(sed -n 's/^Talvern adds (median of pair differences): \([-0-9.]* ms\).*/\1/p' <<<"$timing")"
  cpu_t="$(sed -n 's/^CPU (user + kernel), talvern.exe: mean \([0-9.]* ms\).*/\1/p' <<<"$timing")"
  cpu_m="$(sed -n 's/^CPU (user + kernel), minimal launcher: mean \([0-9.]* ms\).*/\1/p' <<<"$timing")"
  echo "$r|$needed|$added|$cpu_t|$cpu_m"
}

# Timing, file-system calls and bytes read with the Word-formats option off or on (as
# Data.ini in the bench folder says); prints "option <off|on>: R = ..., bytes asked for: ..."
# for the summary.
measure_option() {
  local arch="$1" option="$2" image_size="$3" document relay bytes calls reads="" fs
  local r needed added cpu_t cpu_m program program_calls
  IFS='|' read -r r needed added cpu_t cpu_m < <(run_pairs talvern minimal_launcher)
  echo "== $arch, option $option: bytes talvern.exe asked ReadFile for, per document: the" \
    "document's, then the started program's (build/bench-$arch-$option-relay-*.txt)" >&2
  for document in plain.doc compound.doc rtf.doc; do
    relay="build/bench-$arch-$option-relay-${document%.doc}.txt"
    WINEDEBUG=+pid,+loaddll,+relay talvern_wine "$win\\talvern.exe" "$win\\$document" \
      2>"$relay" || true
    wait_for_stand_ins
    read -r bytes calls program program_calls < <(bytes_read "$relay" "$image_size" "$document")
    echo "  $document ($(stat -c %s "$bench/$document") bytes): $bytes bytes in $calls calls;" \
      "program: $program bytes in $program_calls calls" >&2
    reads+="${reads:+, }${document%.doc} $bytes / $program"
  done
  fs="$(file_system_calls "build/bench-$arch-$option-relay-plain.txt")"
  echo "== $arch, option $option: file-system calls of one dispatch (plain.doc): $fs" >&2
  local line="option $option: R = $r, file-system calls $fs, a 3 % change needs about"
  line+=" $needed pairs, adds $added, CPU $cpu_t / $cpu_m,"
  line+=" bytes asked for (document / program): $reads"
  if [[ $option == off ]]; then
    # The same plain document $many times over, each under a name of its own, in quotes.
    local list="" k many_pairs=$((pairs / 4 > 30 ? pairs / 4 : 30))
    mkdir -p "$bench/many"
    for ((k = 1; k <= many; k++)); do
      cp "$bench/plain.doc" "$bench/many/$k.doc"
      list+="${list:+ }\"$win\\many\\$k.doc\""
    done
    IFS='|' read -r r needed added cpu_t cpu_m < <(run_pairs talvern minimal_launcher many \
      "$list" "$many_pairs")
    line+="; $many documents: R = $r over $many_pairs pairs, adds $added"
    if [[ -n $against ]]; then
      IFS='|' read -r r _ < <(run_pairs "talvern-$against" minimal_launcher "many-$against" \
        "$list" "$many_pairs")
      line+=" [$against: R = $r]"
    fi
  fi
  if [[ -n $against ]]; then
    local then_r now_r then_fs
    relay="build/bench-$arch-$option-relay-$against.txt"
    WINEDEBUG=+pid,+loaddll,+relay talvern_wine "$win\\talvern-$against.exe" \
      "$win\\plain.doc" 2>"$relay" || true
    wait_for_stand_ins
    then_fs="$(file_system_calls "$relay" "talvern-$against")"
    IFS='|' read -r then_r _ < <(run_pairs "talvern-$against" minimal_launcher "$against")
    IFS='|' read -r now_r _ < <(run_pairs talvern "talvern-$against" "now-$against")
    line+=" [$against: R = $then_r, file-system calls $then_fs; now / $against: R = $now_r]"
  fi
  echo "$line"
}

# The time to the settings window, first run against configured, as said at the top; prints
# "window: R = ..." for the summary. The stand-in is registered for the machine (where
# Wine's COM looks for local servers) and unregistered again.
measure_window() {
  local arch="$1" clsid='{5A1E7C3B-2D4F-4B8A-9C6E-1F3A5B7D9E20}' out timing r medians
  local first="$bench/first" configured="$bench/configured"
  mkdir -p "$first" "$configured" "$bench/Office"
  cp "$build/talvern.exe" "$first/"
  cp "$build/talvern.exe" "$configured/"
  cp "$build/bench/slow_server.exe" "$bench/Office/WINWORD.EXE"
  printf '[EXE]\r\nWORD=%s\\Office\\WINWORD.EXE\r\nTEXT=%s\\notepad.exe\r\n' "$win" "$win" \
    >"$configured/Data.ini"
  talvern_wine reg add 'HKCR\Word.Application\CLSID' /ve /d "$clsid" /f >/dev/null 2>&1
  talvern_wine reg add "HKCR\CLSID\\$clsid\\LocalServer32" /ve \
    /d "\"$win\\Office\\WINWORD.EXE\" /Automation" /f >/dev/null 2>&1
  echo "== $arch, settings window: start to window shown, $window_pairs pairs, first run" \
    "(Word's local server takes 20 s to start) / valid Data.ini" \
    "(each pair: build/bench-$arch-window-pairs.csv)" >&2
  out="build/bench-$arch-window-runner.txt"
  local status=0
  talvern_wine "$build/bench/bench_runner.exe" window "$window_pairs" "$win\\first\\talvern.exe" \
    "$win\\configured\\talvern.exe" "$win\\window-pairs.csv" >"$out" || status=$?
  talvern_wine reg delete 'HKCR\Word.Application' /f >/dev/null 2>&1 || true
  talvern_wine reg delete "HKCR\CLSID\\$clsid" /f >/dev/null 2>&1 || true
  if ((status != 0)); then
    echo "bench_runner window failed ($out)" >&2
    return 1
  fi
  timing="$(tr -d '\r' <"$out")"
  cp "$bench/window-pairs.csv" "build/bench-$arch-window-pairs.csv"
  echo "$timing" >&2
  r="$(sed -n 's/^R (median of pair ratios): \([0-9.]*\), 95 % interval \([0-9.]*\) to \([0-9.]*\)$/\1 (\2 to \3)/p' <<<"$timing")"
  medians="$(sed -n 's/^wall, \([a-zA-Z. ]*\): *median \([0-9.]* ms\)$/\1 \2/p' <<<"$timing" |
    paste -sd '/' | sed 's|/| / |')"
  echo "window: R = $r over $window_pairs pairs, medians $medians"
}

# Everything for one architecture; run in a subshell (its own prefix, wineserver, display).
# Appends its summary line to $summary.
bench_arch() {
  local arch="$1" build
  build="$(talvern_build_dir "$arch")"
  export TALVERN_ARCH="$arch"
  source scripts/wine-env.sh
  talvern_display
  talvern_wine_prefix
  talvern_wine_warm

  # One folder holds both launchers, the editor stand-in they start and the document.
  local bench="$WINEPREFIX/drive_c/talvern bench" win='C:\talvern bench'
  rm -rf "$bench"
  mkdir -p "$bench"
  cp "$build/talvern.exe" "$build/bench/minimal_launcher.exe" "$bench/"
  # Beside it under another name, so that both read the same Data.ini.
  if [[ -n $against ]]; then cp "$base_src/$build/talvern.exe" "$bench/talvern-$against.exe"; fi
  cp "$build/tests/standin/standin.exe" "$bench/notepad.exe"
  cp "$build/tests/standin/standin.exe" "$bench/WINWORD.EXE"
  printf '[EXE]\r\nWORD=%s\\WINWORD.EXE\r\nTEXT=%s\\notepad.exe\r\n' "$win" "$win" \
    >"$bench/Data.ini"
  printf 'A plain text document.\r\n' >"$bench/plain.doc"
  printf '\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1\0\0\0\0' >"$bench/compound.doc"
  printf '{\\rtf1\\ansi A document in RTF.}\r\n' >"$bench/rtf.doc"

  if $only_window; then
    echo "$arch: $(measure_window "$arch")" >>"$summary"
    return
  fi

  # Traces go to files: Wine's stderr can be held open by the server.
  local trace="build/bench-$arch-loaddll.txt" pid base dlls
  WINEDEBUG=+pid,+loaddll talvern_wine "$win\\talvern.exe" "$win\\plain.doc" 2>"$trace" || true
  wait_for_stand_ins
  read -r pid base < <(talvern_in_trace "$trace")
  dlls="$(grep "^$pid:" "$trace" | grep -o 'Loaded L"[^"]*"' |
    sed 's/^Loaded L"\(.*\)"$/\1/; s/.*\\//' | tr 'A-Z' 'a-z' | sed 's/\.dll$//' |
    grep -v '^talvern\.exe$' | tr '\n' ' ')"
  echo "== $arch: DLLs loaded by talvern.exe in dispatch mode (WINEDEBUG=+loaddll, $trace)"
  echo "  ${dlls% }"

  local objdump image_size option arch_summary=""
  case $arch in
    x86) objdump=i686-w64-mingw32-objdump ;;
    x64) objdump=x86_64-w64-mingw32-objdump ;;
  esac
  image_size="$("$objdump" -p "$build/talvern.exe" | awk '/^SizeOfImage/ {print $2}')"
  image_size=$((16#$image_size))
  for option in off on; do
    printf '[EXE]\r\nWORD=%s\\WINWORD.EXE\r\nTEXT=%s\\notepad.exe\r\n' "$win" "$win" \
      >"$bench/Data.ini"
    if [[ $option == on ]]; then
      printf '[OPTION]\r\nWORDFORMATS=1\r\n' >>"$bench/Data.ini"
    fi
    arch_summary+="${arch_summary:+; }$(measure_option "$arch" "$option" "$image_size")"
  done
  arch_summary+="; $(measure_window "$arch")"

  echo "$arch: $arch_summary; DLLs: ${dlls% }; ${arch_sizes[$arch]}" >>"$summary"
}

many=20
summary="$(mktemp)"
trap 'rm -f "$summary"' EXIT
declare -A arch_sizes
if [[ -n $against ]]; then
  # The other commit's sources, built with their own build files.
  base_src="build/bench-base/$against"
  if [[ ! -d $base_src ]]; then
    mkdir -p "$base_src"
    git archive "$against" | tar -x -C "$base_src"
  fi
fi
if $only_window; then
  echo "== priority: $priority; the settings window's opening only, pairs: $window_pairs"
else
  echo "== priority: $priority; pairs: $pairs (the settings window's opening: $window_pairs)"
fi
for arch in x64 x86; do
  talvern_build_windows "$arch" talvern standin minimal_launcher bench_runner slow_server \
    >/dev/null
  $only_window || size_arch "$arch"
  if [[ -n $against ]]; then
    (cd "$base_src" && talvern_build_windows "$arch" talvern >/dev/null)
    base_exe="$base_src/$(talvern_build_dir "$arch")/talvern.exe"
    echo "  $against's talvern.exe: $(stat -c %s "$base_exe") bytes"
  fi
  if ! reason="$(talvern_arch_runnable "$arch")"; then
    echo "$arch: not measured: $reason${arch_sizes[$arch]:+; ${arch_sizes[$arch]}}" >>"$summary"
    continue
  fi
  (bench_arch "$arch")
done
echo "== summary (per option: R = median of pair ratios (95 % interval), file-system calls of" \
  "one dispatch, the ms Talvern adds, mean CPU time talvern.exe / minimal launcher, bytes" \
  "asked for; window: R of the first run to a configured opening, with the median times of" \
  "each)"
cat "$summary"
