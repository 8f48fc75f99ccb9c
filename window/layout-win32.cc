#include "window/layout-win32.h"

// windows.h comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "platform/platform-win32.h"

namespace talvern {

namespace {

// The window class and styles of each kind of control.
struct ClassStyle {
  const wchar_t* window_class;
  DWORD style;
  DWORD ex_style;
};

ClassStyle StyleOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kLabel:
      break;
    case ControlKind::kTextBox:
      return {WC_EDITW, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
              WS_EX_CLIENTEDGE};
    case ControlKind::kButton:
      return {WC_BUTTONW, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0};
  }
  return {WC_STATICW, WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
}

// Functions of newer systems, looked up so the program still runs where they are missing.
template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi;
}

// The system's message font (the default UI font) at `dpi`.
LOGFONTW MessageFont(int dpi) {
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (auto for_dpi = User32Function<ForDpi>("SystemParametersInfoForDpi")) {
    if (for_dpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
      return metrics.lfMessageFont;
    }
  }
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, ScreenDpi());
    return metrics.lfMessageFont;
  }
  LOGFONTW stock = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
  return stock;
}

// Caption width without the access-key marker, in pixels of `dc`'s font.
int CaptionWidth(HDC dc, const wchar_t* caption) {
  std::wstring text;
  for (const wchar_t* c = caption; *c; ++c) {
    if (*c != L'&') text.push_back(*c);
  }
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// True when, in `font`, one line fits inside a path box and every caption fits its button.
bool FontFits(HDC dc, HFONT font, int dpi) {
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  const int edge = MulDiv(2, dpi, 96);  // the sunken border and the button's own frame
  bool fits = metrics.tmHeight <= TwipsToPixels(kDesign[kText1].height, dpi) - 2 * edge + 1;
  for (int i = kCmdWord; fits && i != kControlCount; ++i) {
    fits = CaptionWidth(dc, kDesign[i].caption) + 3 * edge <= TwipsToPixels(kDesign[i].width, dpi);
  }
  SelectObject(dc, old);
  return fits;
}

// The UI font at `dpi`, or null when none can be made. The layout was drawn for a compact
// 9-point face; with a face of taller lines or wider kana the font is made a little
// smaller, never below 3/4 of its size, so that no caption and no path is cut off.
HFONT CreateUiFont(HWND form, int dpi) {
  LOGFONTW face = MessageFont(dpi);
  const LONG full = face.lfHeight;
  const LONG smallest = full * 3 / 4;
  HDC dc = GetDC(form);
  HFONT font = nullptr;
  for (LONG height = full;; height += full < 0 ? 1 : -1) {
    face.lfHeight = height;
    font = CreateFontIndirectW(&face);
    if (!font || !dc || height == smallest || FontFits(dc, font, dpi)) break;
    DeleteObject(font);
  }
  if (dc) ReleaseDC(form, dc);
  return font;
}

RECT WindowRectForClient(int width, int height, int dpi) {
  using ForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  RECT rect = {0, 0, width, height};
  if (auto for_dpi = User32Function<ForDpi>("AdjustWindowRectExForDpi")) {
    if (for_dpi(&rect, kFormStyle, FALSE, kFormExStyle, dpi)) return rect;
  }
  AdjustWindowRectEx(&rect, kFormStyle, FALSE, kFormExStyle);
  return rect;
}

}  // namespace

FormLayout::~FormLayout() {
  if (font_) DeleteObject(font_);
}

bool FormLayout::Create(HWND form, std::wstring* error) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form, GWLP_HINSTANCE));
  // Creating them in window order gives the dialog manager its tab order and a screen
  // reader each box's label.
  for (int i = 0; i != kControlCount; ++i) {
    const DesignedControl& design = kDesign[i];
    ControlKind kind = ControlKind::kLabel;
    // A class the table names by mistake must not quietly become a label.
    if (!ControlKindOf(design.class_name, &kind)) {
      *error = std::wstring(L"設定画面を作れませんでした。\r\n未知のウィンドウ クラス: ") +
               design.class_name;
      return false;
    }
    const ClassStyle style = StyleOf(kind);
    controls_[i] = CreateWindowExW(
        style.ex_style, style.window_class, design.caption, style.style, 0, 0, 0, 0, form,
        reinterpret_cast<HMENU>(INT_PTR{kFirstControlId + i}), instance, nullptr);
    if (!controls_[i]) {
      *error = Win32ErrorText(L"CreateWindowExW", GetLastError());
      return false;
    }
  }
  // The path boxes take paths of any length.
  SendMessageW(controls_[kText1], EM_SETLIMITTEXT, 0, 0);
  SendMessageW(controls_[kText2], EM_SETLIMITTEXT, 0, 0);
  return true;
}

void FormLayout::Apply(HWND form, int dpi) {
  const RECT frame = WindowRectForClient(TwipsToPixels(kClientWidthTwips, dpi),
                                         TwipsToPixels(kClientHeightTwips, dpi), dpi);
  SetWindowPos(form, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  HFONT old_font = font_;
  font_ = CreateUiFont(form, dpi);
  const HFONT font = UiFont();
  for (int i = 0; i != kControlCount; ++i) {
    const DesignedControl& design = kDesign[i];
    SIZE size = {TwipsToPixels(design.width, dpi), TwipsToPixels(design.height, dpi)};
    if (i == kLabel1 || i == kLabel2) size = LabelSize(form, design.caption, size);
    SetWindowPos(controls_[i], nullptr, TwipsToPixels(design.left, dpi),
                 TwipsToPixels(design.top, dpi), size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  // A little room between a path and the box's border (a new font resets it).
  const int margin = MulDiv(2, dpi, 96);
  for (int box : {kText1, kText2}) {
    SendMessageW(controls_[box], EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELPARAM(margin, margin));
  }
  if (old_font) DeleteObject(old_font);
}

SIZE FormLayout::LabelSize(HWND form, const wchar_t* caption, SIZE stored) const {
  // A label grows to its caption, so a wider or taller face is never cut off.
  HDC dc = GetDC(form);
  if (!dc) return stored;
  HGDIOBJ old = SelectObject(dc, UiFont());
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  SIZE size = {std::max<LONG>(stored.cx, CaptionWidth(dc, caption)),
               std::max<LONG>(stored.cy, metrics.tmHeight)};
  SelectObject(dc, old);
  ReleaseDC(form, dc);
  return size;
}

HFONT FormLayout::UiFont() const {
  return font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int FormLayout::WindowDpi(HWND form) {
  using ForWindow = UINT(WINAPI*)(HWND);
  if (auto for_window = User32Function<ForWindow>("GetDpiForWindow")) {
    if (const UINT dpi = for_window(form)) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int FormLayout::IndexOfId(int id) {
  const int index = id - kFirstControlId;
  return index >= 0 && index < kControlCount ? index : -1;
}

}  // namespace talvern
