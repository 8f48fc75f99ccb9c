// A picture of the settings window as users see it: every caption must be drawn in real
// glyphs (no missing-glyph boxes). The picture is kept as a test artefact in the build
// folder; scripts/screenshot.sh copies it to docs/ for a person to look at.
#include <algorithm>
#include <cmath>

#include "tests/harness/picture.h"
#include "tests/window/window_fixture.h"

namespace talvern {
namespace e2e {
namespace {

// Dark pixels of the picture inside `area`: the ink of a caption.
struct Ink {
  int count = 0;
  RECT box = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};  ///< bounding box of the ink
  int width() const { return count ? box.right - box.left + 1 : 0; }
};

Ink InkIn(const Picture& picture, const RECT& area) {
  Ink ink;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const DWORD p = picture.at(x, y);
      const int luma = (((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF)) / 10;
      const bool dark = luma < 170;  // glyph strokes, smoothed, on a light face
      if (!dark) continue;
      ++ink.count;
      ink.box.left = std::min<LONG>(ink.box.left, x);
      ink.box.right = std::max<LONG>(ink.box.right, x);
      ink.box.top = std::min<LONG>(ink.box.top, y);
      ink.box.bottom = std::max<LONG>(ink.box.bottom, y);
    }
  }
  return ink;
}

std::wstring WithoutAccessMarker(const std::wstring& caption) {
  std::wstring text;
  for (wchar_t c : caption) {
    if (c != L'&') text.push_back(c);
  }
  return text;
}

// Width of `text` in the system's UI face at a large size, for comparing proportions.
int ReferenceWidth(HDC dc, const std::wstring& text) {
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

class ScreenshotTest : public WindowTest {};

TEST_F(ScreenshotTest, EveryCaptionIsDrawnInRealGlyphs) {
  // Wine draws the caption buttons with Marlett; give the prefix the font it ships.
  const std::wstring marlett = L"C:\\windows\\Fonts\\marlett.ttf";
  if (!Exists(marlett))
    CopyFileW(L"Z:\\usr\\share\\wine\\fonts\\marlett.ttf", marlett.c_str(), TRUE);
  DpiGuard dpi(96);
  // Detection takes the server's folder only with a Winword.exe in it.
  const std::wstring winword = L"C:\\Program Files\\Microsoft Office\\Office\\Winword.exe";
  ASSERT_TRUE(WriteBytes(winword, "MZ"));
  struct Gone {
    const std::wstring& file;
    ~Gone() { DeleteFileW(file.c_str()); }
  } gone{winword};
  WordServer server(L"C:\\Program Files\\Microsoft Office\\Office", folder_ + L"word.log");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(BringToFront(window_));
  const Picture picture = CaptureWindow(window_);
  const RECT& frame = picture.area;

  const std::wstring artefact = FromUnixPath(TALVERN_E2E_ARTEFACT_DIR) + L"\\settings-window.png";
  MakeFolders(FromUnixPath(TALVERN_E2E_ARTEFACT_DIR));
  std::string error;
  EXPECT_TRUE(SavePng(picture, artefact, &error)) << error;

  // The face the window's font comes from has a glyph for every caption character.
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  metrics.lfMessageFont.lfHeight = -48;
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  HGDIOBJ old_font = SelectObject(dc, font);

  const std::vector<Control> controls = Controls();
  ASSERT_EQ(controls.size(), static_cast<std::size_t>(kControlCount));
  std::vector<int> captioned;
  for (int i = 0; i != kControlCount; ++i) {
    if (i != kText1 && i != kText2) captioned.push_back(i);
  }
  const std::wstring widest = WithoutAccessMarker(kDesign[kCommand4].caption);
  std::vector<Ink> inks(kControlCount);
  POINT origin = {0, 0};
  ClientToScreen(window_, &origin);
  for (int i = 0; i != kControlCount; ++i) {
    RECT area = controls[i].rect;
    OffsetRect(&area, origin.x - frame.left, origin.y - frame.top);
    const int inset = controls[i].class_name == L"Static" ? 0 : 3;  // inside the borders
    InflateRect(&area, -inset, -inset);
    inks[i] = InkIn(picture, area);
    EXPECT_GT(inks[i].count, 20) << "no text drawn in control " << i;
  }
  for (int i : captioned) {
    const std::wstring text = WithoutAccessMarker(kDesign[i].caption);
    SCOPED_TRACE(Utf8(text));
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), 0xFFFF), 0) << "face lacks glyphs";
    // Missing-glyph boxes are all alike and as wide as a full-width character, so the
    // drawn widths would stop following the real proportions of the texts.
    const double expected =
        static_cast<double>(ReferenceWidth(dc, text)) / ReferenceWidth(dc, widest);
    const double drawn = static_cast<double>(inks[i].width()) / inks[kCommand4].width();
    EXPECT_NEAR(drawn, expected, 0.06) << "drawn " << inks[i].width() << " px";
  }
  // No two captions look alike.
  for (std::size_t a = 0; a != captioned.size(); ++a) {
    for (std::size_t b = a + 1; b != captioned.size(); ++b) {
      const Ink& x = inks[captioned[a]];
      const Ink& y = inks[captioned[b]];
      EXPECT_TRUE(x.width() != y.width() || x.count != y.count)
          << "controls " << captioned[a] << " and " << captioned[b] << " look the same";
    }
  }
  SelectObject(dc, old_font);
  DeleteObject(font);
  DeleteDC(dc);
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
