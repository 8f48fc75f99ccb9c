// The settings window's frame and controls against the design, at two DPIs.
// windows.h comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <oleacc.h>
// clang-format on

#include "tests/window/window_fixture.h"

namespace talvern {
namespace e2e {
namespace {

int Px(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

// The name a screen reader hears for `control`: its client object's accessible name.
std::wstring AccessibleName(HWND control) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object)))) {
    return L"<no accessible object>";
  }
  VARIANT self = {};
  self.vt = VT_I4;  // CHILDID_SELF
  BSTR name = nullptr;
  object->get_accName(self, &name);
  std::wstring text = name ? name : L"";
  SysFreeString(name);
  object->Release();
  return text;
}

// Every control of the design, in window order, at `dpi`. Labels grow with their captions,
// so they are held to their position and at least their designed size.
void ExpectLayout(HWND window, const std::vector<Control>& controls, int dpi) {
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, Px(kClientWidthTwips, dpi));
  EXPECT_EQ(client.bottom, Px(kClientHeightTwips, dpi));
  ASSERT_EQ(controls.size(), static_cast<std::size_t>(kControlCount));
  for (int i = 0; i != kControlCount; ++i) {
    const DesignedControl& design = kDesign[i];
    const Control& control = controls[i];
    SCOPED_TRACE(Utf8(design.caption) + " #" + std::to_string(i));
    EXPECT_EQ(_wcsicmp(control.class_name.c_str(), design.class_name), 0)
        << Utf8(control.class_name);
    if (i != kText1 && i != kText2) EXPECT_EQ(Utf8(control.text), Utf8(design.caption));
    EXPECT_TRUE(control.style & WS_VISIBLE);
    EXPECT_FALSE(control.style & WS_DISABLED);
    EXPECT_EQ(control.rect.left, Px(design.left, dpi));
    EXPECT_EQ(control.rect.top, Px(design.top, dpi));
    const int width = control.rect.right - control.rect.left;
    const int height = control.rect.bottom - control.rect.top;
    if (i == kLabel1 || i == kLabel2) {
      EXPECT_GE(width, Px(design.width, dpi));
      EXPECT_GE(height, Px(design.height, dpi));
      // Still clear of the path box to its right and of the row below.
      EXPECT_LE(control.rect.right, Px(kDesign[kText1].left, dpi));
      EXPECT_LE(control.rect.bottom, Px(design.top + 430, dpi));
    } else {
      EXPECT_EQ(width, Px(design.width, dpi));
      EXPECT_EQ(height, Px(design.height, dpi));
    }
    // Buttons and boxes take the focus by Tab; labels do not.
    EXPECT_EQ((control.style & WS_TABSTOP) != 0, i != kLabel1 && i != kLabel2);
    if (control.class_name == L"Button") {
      EXPECT_EQ(control.style & BS_TYPEMASK, static_cast<LONG>(BS_PUSHBUTTON))
          << "no default button";
    }
    if (control.class_name == L"Edit") {
      EXPECT_TRUE(control.style & ES_AUTOHSCROLL);
      EXPECT_FALSE(control.style & (ES_MULTILINE | ES_READONLY));
    }
  }
}

TEST_F(WindowTest, FrameIsAFixedDialogFrameWithTheCloseBoxOnly) {
  WriteValidSettings();
  ASSERT_TRUE(Open());
  const LONG style = GetWindowLongW(window_, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_CHILD);
  EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_EQ(GetWindow(window_, GW_OWNER), nullptr);
  // The frame offers no sizing to the mouse: every edge and corner is plain border.
  RECT frame;
  GetWindowRect(window_, &frame);
  const POINT edges[] = {{frame.left, (frame.top + frame.bottom) / 2},
                         {frame.right - 1, (frame.top + frame.bottom) / 2},
                         {(frame.left + frame.right) / 2, frame.bottom - 1},
                         {frame.right - 1, frame.bottom - 1}};
  for (const POINT& edge : edges) {
    const LRESULT hit = SendMessageW(window_, WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y));
    EXPECT_TRUE(hit < HTSIZEFIRST || hit > HTSIZELAST) << "hit test " << hit;
  }
  // Neither the system menu nor the keyboard can minimise or maximise it.
  SendMessageW(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsZoomed(window_));
  EXPECT_FALSE(IsIconic(window_));
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, Px(6480, 96));
}

TEST_F(WindowTest, ControlsMatchTheDesignAt96Dpi) {
  DpiGuard dpi(96);
  WriteValidSettings();
  ASSERT_TRUE(Open());
  ExpectLayout(window_, Controls(), 96);
  // Each path box is named after its own label.
  EXPECT_EQ(Utf8(AccessibleName(ControlAt(kText1))), Utf8(L"Wordの場所"));
  EXPECT_EQ(Utf8(AccessibleName(ControlAt(kText2))), Utf8(L"Textの場所"));
  // Twips at 96 DPI are exactly 15 to a pixel.
  EXPECT_EQ(Controls()[kCommand6].rect.right, 4200 / 15 + 1695 / 15);
}

TEST_F(WindowTest, ControlsKeepTheirProportionsAt144Dpi) {
  DpiGuard dpi(144);
  WriteValidSettings();
  ASSERT_TRUE(Open());
  ExpectLayout(window_, Controls(), 144);
}

TEST_F(WindowTest, WindowAndMessageBoxesCarryTheirCaptions) {
  // No Data.ini: the caption is the product name, and the message beforehand is
  // captioned with the application title.
  ASSERT_TRUE(Start());
  const MessageBoxInfo box = NextMessage();
  ASSERT_TRUE(box.hwnd);
  EXPECT_EQ(Utf8(box.caption), Utf8(kTitle));
  ASSERT_TRUE(WaitWindow());
  EXPECT_EQ(Utf8(WindowText(window_)), "TALVERN Ver1.20");
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
