#!/usr/bin/env bash
# Runs a Windows program under the project's Wine set-up; ctest uses it as the
# emulator of the cross build: wine-exec.sh --arch=x86|x64 PROGRAM [ARGS...]
set -euo pipefail
if [[ ${1:-} == --arch=* ]]; then
  export TALVERN_ARCH="${1#--arch=}"
  shift
fi
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
talvern_wine_prefix
if [[ -n ${DISPLAY:-} ]]; then
  trap - EXIT
  exec "$TALVERN_WINE_LOADER" "$@"
fi
# Started on its own (not from scripts/test.sh): bring up a display for this one program.
talvern_display
talvern_wine_warm
status=0
talvern_wine "$@" || status=$?
exit "$status"
