// The settings window's controls: what they are, where they sit (in twips) and how
// they become pixels at the window's DPI.
#ifndef TALVERN_WINDOW_LAYOUT_WIN32_H_
#define TALVERN_WINDOW_LAYOUT_WIN32_H_

#include <windows.h>

#include <string>

#include "window/form1_design.h"

namespace talvern {

/// Control ids start above IDOK and IDCANCEL, which the dialog manager sends for Enter and
/// Esc and which must press nothing.
constexpr int kFirstControlId = 100;

/// Window styles: a fixed dialog frame with the close box only.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

/// Converts twips to pixels at `dpi`.
inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

/// The window's controls and the font they share.
class FormLayout {
 public:
  FormLayout() = default;
  FormLayout(const FormLayout&) = delete;
  FormLayout& operator=(const FormLayout&) = delete;
  ~FormLayout();

  /// Creates the twelve controls in window order; false with `error` when one fails.
  bool Create(HWND form, std::wstring* error);
  /// Sizes the window and places every control for `dpi`, with the UI font at that DPI.
  void Apply(HWND form, int dpi);
  /// The DPI the window is shown at.
  static int WindowDpi(HWND form);

  HWND control(int index) const { return controls_[index]; }
  /// The control index of a child window id, or -1.
  static int IndexOfId(int id);

 private:
  SIZE LabelSize(HWND form, const wchar_t* caption, SIZE stored) const;
  /// The font the controls use: ours, or the stock GUI font when none could be made.
  HFONT UiFont() const;

  HWND controls_[kControlCount] = {};
  HFONT font_ = nullptr;  ///< created here and deleted here; never a stock object.
};

}  // namespace talvern

#endif  // TALVERN_WINDOW_LAYOUT_WIN32_H_
