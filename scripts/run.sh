#!/usr/bin/env bash
# Runs Talvern under Wine on the given documents (Unix or Windows paths); without
# documents it opens the settings window. Runs the x64 build, or the x86 one with
# TALVERN_ARCH=x86. Uses $DISPLAY, or a virtual screen whose picture is saved to
# build/screenshot.png.
set -euo pipefail
caller_dir="$PWD"
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/deps.sh
export TALVERN_ARCH="${TALVERN_ARCH:-x64}"
source scripts/wine-env.sh
if ! reason="$(talvern_arch_runnable "$TALVERN_ARCH")"; then
  echo "run.sh: cannot run the $TALVERN_ARCH build on this machine: $reason" >&2
  exit 1
fi
talvern_build_windows "$TALVERN_ARCH" talvern
build="$(talvern_build_dir "$TALVERN_ARCH")"

virtual=false
[[ -z ${DISPLAY:-} ]] && virtual=true
talvern_display
talvern_wine_prefix

documents=()
for document in "$@"; do
  if [[ $document =~ ^[A-Za-z]:[\\/] || $document == \\\\* ]]; then
    documents+=("$document")
  else
    [[ $document == /* ]] || document="$caller_dir/$document"
    documents+=("$(talvern_winepath -w "$document" 2>/dev/null)")
  fi
done

# Talvern opens documents only once Data.ini names the two programs. Under Wine, WordPad
# stands in for Word.
settings="$build/Data.ini"
if ((${#documents[@]})) && [[ ! -f $settings ]]; then
  printf '[EXE]\r\nWORD=%s\r\nTEXT=%s\r\n' \
    'C:\Program Files\Windows NT\Accessories\wordpad.exe' 'C:\windows\notepad.exe' >"$settings"
  echo "run.sh: wrote $settings (Word: WordPad, text editor: Notepad); change it in the" \
    "settings window (scripts/run.sh without documents)."
fi

if ! $virtual; then
  exec "$TALVERN_WINE_LOADER" "$build/talvern.exe" "${documents[@]}"
fi

echo "run.sh: no DISPLAY, so Talvern runs on the virtual screen $DISPLAY; a picture of" \
  "the screen goes to build/screenshot.png."
talvern_wine "$build/talvern.exe" "${documents[@]}" &
talvern=$!
sleep 5
if import -display "$DISPLAY" -window root build/screenshot.png 2>/dev/null; then
  echo "run.sh: saved build/screenshot.png"
fi
if kill -0 "$talvern" 2>/dev/null; then
  echo "run.sh: nobody can use a window on the virtual screen; closing Talvern."
  # Leaving the script stops wineserver, which ends Talvern and what it started.
  exit 0
fi
wait "$talvern"
