#!/usr/bin/env bash
# Dispatch speed: Talvern's whole run for one plain document against a minimal launcher
# that only starts the same editor stand-in, interleaved, medians (R = talvern / minimal;
# goal at most 1.10). Also lists the DLLs talvern.exe loads in dispatch mode, the bytes it
# reads from each document and the size of the executable.
#   scripts/bench.sh [runs]   (default 41)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
runs="${1:-41}"

bash scripts/deps.sh
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win --target talvern standin minimal_launcher bench_runner >/dev/null

source scripts/wine-env.sh
talvern_display
talvern_wine_prefix
talvern_wine_warm

# One folder holds both launchers, the editor stand-in they start and the document.
bench="$WINEPREFIX/drive_c/talvern bench"
win='C:\talvern bench'
rm -rf "$bench"
mkdir -p "$bench"
cp build/win/talvern.exe build/win/bench/minimal_launcher.exe "$bench/"
cp build/win/tests/standin/standin.exe "$bench/notepad.exe"
cp build/win/tests/standin/standin.exe "$bench/WINWORD.EXE"
printf '[EXE]\r\nWORD=%s\\WINWORD.EXE\r\nTEXT=%s\\notepad.exe\r\n' "$win" "$win" >"$bench/Data.ini"
printf 'A plain text document.\r\n' >"$bench/plain.doc"
printf '\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1\0\0\0\0' >"$bench/compound.doc"

echo "== whole-run wall time, $runs runs each"
wine build/win/bench/bench_runner.exe "$runs" "$win\\talvern.exe" \
  "$win\\minimal_launcher.exe" "$win\\plain.doc"

# Waits (up to 10 s) until the stand-ins started from the bench folder have ended.
wait_for_stand_ins() {
  local tries
  for ((tries = 0; tries < 100; tries++)); do
    pgrep -f 'talvern bench.(notepad|WINWORD)' >/dev/null || return 0
    sleep 0.1
  done
}

# Traces go to files: Wine's stderr can be held open by the server.
trace="build/bench-loaddll.txt"
WINEDEBUG=+pid,+loaddll wine "$win\\talvern.exe" "$win\\plain.doc" 2>"$trace" || true
wait_for_stand_ins
# Wine starts talvern.exe in the process that prints the first line; the editor it starts
# has a process of its own.
pid="$(grep -m1 -o '^[0-9a-f]*' "$trace")"
echo "== DLLs loaded by talvern.exe in dispatch mode (WINEDEBUG=+loaddll, $trace)"
grep "^$pid:" "$trace" | grep -o 'Loaded L"[^"]*"' | sed 's/^Loaded L"\(.*\)"$/  \1/' |
  sed 's/\\\\/\\/g'

echo "== bytes read from each document (KERNEL32.ReadFile calls from talvern.exe," \
  "build/bench-relay-*.txt)"
for document in plain.doc compound.doc; do
  relay="build/bench-relay-${document%.doc}.txt"
  WINEDEBUG=+pid,+relay wine "$win\\talvern.exe" "$win\\$document" 2>"$relay" || true
  wait_for_stand_ins
  pid="$(grep -m1 -o '^[0-9a-f]*' "$relay")"
  # "Call KERNEL32.ReadFile(handle,buffer,length,...) ret=<caller>"; the caller lies in
  # talvern.exe (loaded at 0x00400000), not in kernel32 reading Data.ini.
  sum=0
  calls=0
  while read -r length; do
    sum=$((sum + 16#$length))
    calls=$((calls + 1))
  done < <(grep "^$pid:" "$relay" |
    sed -n 's/.*Call KERNEL32\.ReadFile([0-9a-f]*,[0-9a-f]*,\([0-9a-f]*\),.*ret=00[4-9a-f][0-9a-f]\{5\}$/\1/p')
  bytes="$sum bytes in $calls calls"
  echo "  $document: $bytes"
done

echo "== size of talvern.exe: $(stat -c %s build/win/talvern.exe) bytes"
