// Pictures of windows as the screen shows them, and PNG files of them: the screenshot test
// and scripts/run.sh's picture of the settings window.
#ifndef TALVERN_TESTS_HARNESS_PICTURE_H_
#define TALVERN_TESTS_HARNESS_PICTURE_H_

#include <windows.h>

#include <string>
#include <vector>

namespace talvern {
namespace e2e {

/// A captured area of the screen, 32 bits per pixel, top-down.
struct Picture {
  RECT area = {};  ///< where on the screen it was taken.
  int width = 0, height = 0;
  std::vector<DWORD> pixels;
  DWORD at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

/// The screen's pixels inside `area`.
Picture Capture(const RECT& area);
/// `window` with its frame, after bringing it to the front and letting it paint afresh.
Picture CaptureWindow(HWND window);
/// Writes `picture` as a PNG file through the Windows imaging component; false with `error`.
bool SavePng(const Picture& picture, const std::wstring& path, std::string* error);

}  // namespace e2e
}  // namespace talvern

#endif  // TALVERN_TESTS_HARNESS_PICTURE_H_
