#!/usr/bin/env bash
# Runs a Windows program under the project's Wine set-up; ctest uses it as the
# emulator of the cross build.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
talvern_wine_prefix
if [[ -n ${DISPLAY:-} ]]; then
  trap - EXIT
  exec wine "$@"
fi
# Started on its own (not from scripts/test.sh): bring up a display for this one program.
talvern_display
talvern_wine_warm
status=0
wine "$@" || status=$?
exit "$status"
