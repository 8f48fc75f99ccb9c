#!/usr/bin/env bash
# Runs Talvern under Wine on the given documents (Unix or Windows paths); without
# documents it opens the settings window. Runs the x64 build, or the x86 one with
# TALVERN_ARCH=x86. Uses $DISPLAY, or a virtual screen; there it prints which program each
# document went to and saves a picture of the screen (of the settings window alone, without
# documents) to build/screenshot.png.
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
virtual=false
[[ -z ${DISPLAY:-} ]] && virtual=true
# On a screen nobody sees, a small driver answers the messages Talvern opens with.
if $virtual; then
  talvern_build_windows "$TALVERN_ARCH" talvern opening_driver
else
  talvern_build_windows "$TALVERN_ARCH" talvern
fi
build="$(talvern_build_dir "$TALVERN_ARCH")"

talvern_display
talvern_wine_prefix

# As on a machine without Word, ".doc" files open with WordPad (Wine's own), so the
# settings window has a program to offer for "Wordの場所". The tests map ".doc" themselves.
if ! talvern_wine reg query 'HKCR\.doc' /ve >/dev/null 2>&1; then
  talvern_wine reg add 'HKCR\WordPad.Document.1\shell\open\command' /ve /f \
    /d '"C:\Program Files\Windows NT\Accessories\wordpad.exe" "%1"' >/dev/null 2>&1
  talvern_wine reg add 'HKCR\.doc' /ve /d WordPad.Document.1 /f >/dev/null 2>&1
fi

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

if ((${#documents[@]})); then
  shown="; where each document went is printed, and a picture of the screen with the programs"
  shown+=" Talvern started goes to build/screenshot.png."
else
  shown=", and a picture of the settings window goes to build/screenshot.png."
fi
echo "run.sh: no DISPLAY, so Talvern runs on the virtual screen $DISPLAY; its messages are" \
  "printed and answered (OK, or No to a question)$shown"
status=0
picture=build/screenshot.png
rm -f "$picture"
# No pipe: Talvern inherits the driver's output and would hold a pipe open.
talvern_wine "$build/tests/harness/opening_driver.exe" \
  --picture "$(talvern_winepath -w "$PWD/$picture")" \
  "$(talvern_winepath -w "$PWD/$build/talvern.exe")" "${documents[@]}" || status=$?
[[ -f $picture ]] && echo "run.sh: saved $picture"
# Leaving the script stops wineserver, which ends Talvern and what it started.
echo "run.sh: nobody can use a window on the virtual screen; the run ends here."
exit "$status"
