#!/usr/bin/env bash
# Refreshes docs/settings-window.png, the README's picture of the settings window: builds
# the Windows programs, draws the window under Wine as the screenshot test does and copies
# its picture into docs/. Look at the picture before committing it; the tests never touch
# docs/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/deps.sh
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win --target window_e2e

source scripts/wine-env.sh
talvern_display
talvern_wine_prefix
talvern_wine_warm

picture=build/win/tests/window/artefacts/settings-window.png
rm -f "$picture"
wine build/win/tests/window/window_e2e.exe --gtest_filter='ScreenshotTest.*'
if [[ ! -f $picture ]]; then
  echo "screenshot.sh: the test drew no picture ($picture)" >&2
  exit 1
fi
cp "$picture" docs/settings-window.png
echo "screenshot.sh: copied $picture to docs/settings-window.png; look at it, then commit it" \
  "if every caption reads right."
