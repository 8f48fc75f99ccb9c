# Sourced by the project's scripts: the Wine set-up that Talvern's tests and runs share.
# Set TALVERN_ARCH to x86 or x64 (the default) before sourcing; each architecture has a
# prefix of its own (build/wine-x86, build/wine-x64).
#   talvern_wine PROGRAM ARGS   runs a Windows program with the architecture's loader
#   talvern_winepath ARGS       winepath for the architecture's prefix
#   talvern_wine_prefix         creates the prefix (once) with the settings tests rely on
#   talvern_display             uses $DISPLAY, or starts Xvfb on a free display for this script
#   talvern_wine_warm           keeps wineserver running until this script ends
# Whatever these start is stopped when the sourcing script exits.

TALVERN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$TALVERN_ROOT/scripts/arch.sh"
TALVERN_ARCH="${TALVERN_ARCH:-x64}"
if ! TALVERN_WINE_LOADER="$(talvern_wine_loader "$TALVERN_ARCH")"; then
  echo "wine-env: TALVERN_ARCH must be x86 or x64, not '$TALVERN_ARCH'" >&2
  return 1 2>/dev/null || exit 1
fi
case $TALVERN_ARCH in
  x86) export WINEARCH=win32 ;;
  x64) export WINEARCH=win64 ;;
esac
export TALVERN_ARCH
export WINELOADER="$TALVERN_WINE_LOADER"
export WINEPREFIX="${TALVERN_ROOT}/build/wine-${TALVERN_ARCH}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# Code page 932, and non-ASCII arguments that survive the trip from Unix.
export LC_ALL=ja_JP.UTF-8
export LANG=ja_JP.UTF-8

talvern_wine() {
  "$TALVERN_WINE_LOADER" "$@"
}

talvern_winepath() {
  "$TALVERN_WINE_LOADER" winepath "$@"
}

TALVERN_XVFB_PID=""
TALVERN_WINE_STARTED=false

# Stops what this file started: wineserver first (its desktop process holds the
# display), then Xvfb.
talvern_wine_cleanup() {
  if $TALVERN_WINE_STARTED || [[ -n $TALVERN_XVFB_PID ]]; then
    wineserver -k >/dev/null 2>&1 || true
    TALVERN_WINE_STARTED=false
  fi
  if [[ -n $TALVERN_XVFB_PID ]]; then
    kill "$TALVERN_XVFB_PID" 2>/dev/null || true
    wait "$TALVERN_XVFB_PID" 2>/dev/null || true
    TALVERN_XVFB_PID=""
  fi
}
trap talvern_wine_cleanup EXIT

# Drives the tests use besides C: T: is an empty folder of its own, so a program can lie in
# a drive root; \\talvern\share is a network folder (Wine serves UNC paths from dosdevices/unc).
talvern_wine_drives() {
  local devices="$WINEPREFIX/dosdevices"
  mkdir -p "$WINEPREFIX/drive_t" "$WINEPREFIX/unc_share" "$devices/unc/talvern"
  [[ -L "$devices/t:" ]] || ln -s ../drive_t "$devices/t:"
  [[ -L "$devices/unc/talvern/share" ]] || ln -s ../../../unc_share "$devices/unc/talvern/share"
}

# Creates the prefix on first use. Xvfb has no window manager: Wine draws the frames
# itself (Managed=N, Decorated=N), which also makes closing windows fast and lets
# keystrokes reach them.
talvern_wine_prefix() {
  if [[ ! -f "$WINEPREFIX/.talvern-ready" ]]; then
    echo "wine-env: creating the $TALVERN_ARCH Wine prefix in $WINEPREFIX" >&2
    mkdir -p "$WINEPREFIX"
    local log="${WINEPREFIX}.log" reason
    if ! talvern_wine wineboot -i >"$log" 2>&1; then
      reason="$(talvern_arch_runnable "$TALVERN_ARCH")" || true
      echo "wine-env: could not create the $TALVERN_ARCH prefix${reason:+: $reason} (see $log)" >&2
      return 1
    fi
    talvern_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    talvern_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.talvern-ready"
  fi
  talvern_wine_drives
  talvern_wine_fonts
}

# Wine draws caption buttons (the close box) with Marlett, which a new prefix does not find
# by itself: without it the close box shows an "r".
talvern_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [[ -f /usr/share/wine/fonts/marlett.ttf && ! -f "$fonts/marlett.ttf" ]]; then
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

# First display number with neither a lock file nor a socket.
talvern_free_display() {
  local n
  for ((n = 90; n < 190; n++)); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || { echo "$n"; return 0; }
  done
  return 1
}

# Leaves $DISPLAY alone when it is set; otherwise starts Xvfb (1280x1024x24) and exports it.
talvern_display() {
  [[ -n ${DISPLAY:-} ]] && return 0
  local n tries
  n="$(talvern_free_display)" || { echo "wine-env: no free X display" >&2; return 1; }
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  TALVERN_XVFB_PID=$!
  for ((tries = 0; tries < 100; tries++)); do
    if xdpyinfo -display ":$n" >/dev/null 2>&1; then
      export DISPLAY=":$n"
      return 0
    fi
    kill -0 "$TALVERN_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "wine-env: Xvfb did not start on :$n" >&2
  TALVERN_XVFB_PID=""
  return 1
}

# Keeps wineserver (and the prefix's services) running, so each program starts warm.
talvern_wine_warm() {
  wineserver -p
  TALVERN_WINE_STARTED=true
  # Starts the server and the prefix's services now rather than in the first test.
  talvern_wine cmd /c exit >/dev/null 2>&1 || true
}
