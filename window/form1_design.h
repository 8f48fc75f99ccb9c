// The settings window as designed: its controls in window order, what they are and where
// they sit, in twips. The Win32 layout builds the window from this table and the end-to-end
// tests hold the real window to it.
#ifndef TALVERN_WINDOW_FORM1_DESIGN_H_
#define TALVERN_WINDOW_FORM1_DESIGN_H_

namespace talvern {

/// The twelve controls in window order, which is the tab order (labels take no focus).
/// Each label comes right before its path box: a screen reader names a box after the
/// label before it.
enum ControlIndex : int {
  kLabel1,
  kText1,
  kLabel2,
  kText2,
  kCmdWord,
  kCmdText,
  kCommand1,
  kCommand2,
  kCommand3,
  kCommand4,
  kCommand5,
  kCommand6,
  kControlCount
};

/// The kinds of control the window is made of.
enum class ControlKind { kLabel, kTextBox, kButton };

/// The kind that the window class `class_name` makes ("Static", "Edit", "Button", in any
/// letter case); false for any other class, which the window cannot be made of.
bool ControlKindOf(const wchar_t* class_name, ControlKind* kind);

/// One control as designed; positions from the client area's top-left corner.
struct DesignedControl {
  const wchar_t* class_name;  ///< the Win32 window class: "Static", "Edit" or "Button".
  const wchar_t* caption;
  int left, top, width, height;  ///< twips.
};

inline constexpr DesignedControl kDesign[kControlCount] = {
    {L"Static", L"Wordの場所", 240, 200, 915, 180},
    {L"Edit", L"", 1320, 120, 3495, 270},
    {L"Static", L"Textの場所", 240, 650, 885, 180},
    {L"Edit", L"", 1320, 600, 3495, 270},
    {L"Button", L"参照(&W)", 5040, 80, 1215, 375},
    {L"Button", L"参照(&T)", 5040, 550, 1215, 375},
    {L"Button", L"キャンセル(&C)", 600, 1080, 1695, 375},
    {L"Button", L"初期値に戻す(R)", 2400, 1080, 1695, 375},
    {L"Button", L"設定して閉じる(&Q)", 4200, 1080, 1695, 375},
    {L"Button", L"送るにショートカット", 600, 1560, 1695, 375},
    {L"Button", L"関連付けを設定", 2400, 1560, 1695, 375},
    {L"Button", L"関連付けを解除", 4200, 1560, 1695, 375},
};

/// The client area in twips.
constexpr int kClientWidthTwips = 6480;
constexpr int kClientHeightTwips = 2025;

}  // namespace talvern

#endif  // TALVERN_WINDOW_FORM1_DESIGN_H_
