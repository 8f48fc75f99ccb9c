// Driving another process's windows from an end-to-end test: finding Talvern's window
// and message boxes, reading controls, clicking and typing.
#ifndef TALVERN_TESTS_HARNESS_WINDOW_DRIVER_H_
#define TALVERN_TESTS_HARNESS_WINDOW_DRIVER_H_

#include <windows.h>

#include <string>
#include <vector>

#include "tests/harness/harness.h"

namespace talvern {
namespace e2e {

/// Caption of Talvern's settings window.
extern const wchar_t kWindowCaption[];  // "TALVERN Ver1.20"
/// Caption of Talvern's message boxes (the application title, App.Title).
extern const wchar_t kMessageCaption[];

/// Polls for a visible top-level window of process `pid` (any process when 0) whose
/// caption is exactly `caption`; null on timeout.
HWND WaitForWindow(DWORD pid, const std::wstring& caption, DWORD timeout_ms = kPatience);
/// The visible top-level windows of process `pid`.
std::vector<HWND> TopLevelWindows(DWORD pid);

/// Text of a window (caption of a top-level window, text of a control).
std::wstring WindowText(HWND window);
/// Window class name.
std::wstring ClassName(HWND window);

/// One child control as a test sees it.
struct Control {
  HWND hwnd = nullptr;
  std::wstring class_name;
  std::wstring text;
  int id = 0;
  RECT rect = {};  ///< in the parent's client coordinates.
  LONG style = 0;
};
/// The direct child controls of `window`, in Z order (which is tab order for dialogs).
std::vector<Control> ChildControls(HWND window);
/// The first child control whose text is exactly `text`; null when none.
HWND FindControl(HWND window, const std::wstring& text);

/// Icon of a message box, told apart by the colour of its pixels on the screen.
enum class IconKind { kNone, kCritical, kExclamation, kInformation, kUnknown };
/// "critical", "exclamation", ... for test messages.
const char* IconName(IconKind kind);

/// A message box as the user sees it.
struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::wstring caption;
  std::wstring text;
  IconKind icon = IconKind::kNone;
};

/// Polls for a visible message box (class "#32770") of process `pid` (any when 0), owned by
/// `owner` when that is not null; null on timeout.
HWND WaitForMessageBox(DWORD pid, HWND owner = nullptr, DWORD timeout_ms = kPatience);
/// Caption, text (GetDlgItemTextW(box, 0xFFFF)) and icon kind of `box`. Waits until the
/// icon has been drawn (up to `timeout_ms`) when the box has one.
MessageBoxInfo ReadMessageBox(HWND box, DWORD timeout_ms = 3000);
/// The icon kind of `box` from its icon control's screen pixels (kNone without one).
IconKind MessageBoxIcon(HWND box);
/// Presses the box's OK button (No in a Yes/No question) and waits until the box is gone.
bool DismissMessageBox(HWND box, DWORD timeout_ms = kPatience);
/// Waits for the next message box of `pid`, reads it and presses OK. The box's hwnd is
/// null when none came in time.
MessageBoxInfo TakeMessageBox(DWORD pid, DWORD timeout_ms = kPatience);

/// Something a run showed: a message box, or a window captioned kWindowCaption (the
/// settings window, or until it exists a plain box with that caption).
struct Popup {
  bool settings_window = false;
  std::wstring class_name;
  MessageBoxInfo box;  ///< caption, text and icon (text and icon for message boxes only).
};

/// Waits until `run` and everything it started have ended. Meanwhile every message box is
/// read and dismissed and every settings window closed (once `run` itself ended, those of
/// any process), in the order they appear; returns them. `ended` tells whether the run
/// ended in time.
std::vector<Popup> DriveToEnd(ProgramRun& run, bool* ended, DWORD timeout_ms = kPatience);

/// One item of a window's system menu.
struct MenuItem {
  UINT id = 0;
  bool separator = false;
  bool checked = false;
  bool enabled = true;
  std::wstring text;
};
/// The items of `window`'s system menu in order, read inside the window's own process by
/// the menu probe (Wine cannot read another process's menus). False with `error` set.
bool SystemMenuItems(HWND window, std::vector<MenuItem>* items, std::wstring* error);

/// Clicks `button` with a posted BM_CLICK (returns at once, also when a modal box opens).
void ClickButton(HWND button);
/// One way a user leaves the settings window without saving: `close` acts on the window,
/// given its cancel button.
struct LeaveWithoutSaving {
  const char* how;
  void (*close)(HWND window, HWND cancel);
};
/// Cancel, the close box and Alt+F4.
extern const LeaveWithoutSaving kLeaveWithoutSaving[3];
/// Posts WM_CLOSE to `window` and waits until it is destroyed.
bool CloseWindowAndWait(HWND window, DWORD timeout_ms = kPatience);
/// Waits until `window` no longer exists.
bool WaitDestroyed(HWND window, DWORD timeout_ms = kPatience);

/// Brings `window` to the foreground and waits until it is there; false on timeout.
bool BringToFront(HWND window, DWORD timeout_ms = 3000);
/// After BringToFront(window): presses the keys `vks` together (modifiers first, e.g.
/// {VK_MENU, 'W'} for Alt+W) and releases them in reverse order with SendInput.
bool SendChord(HWND window, const std::vector<WORD>& vks);
/// After BringToFront(window): types `text` as Unicode characters with SendInput.
bool TypeText(HWND window, const std::wstring& text);
/// The control that has the keyboard focus in `window`'s thread (null when none).
HWND FocusedControl(HWND window);

/// Presses the button `button` (IDYES, IDNO, ...) of message box `box` and waits until the
/// box is gone; false when the box has no such button or stays.
bool AnswerBox(HWND box, int button, DWORD timeout_ms = kPatience);

}  // namespace e2e
}  // namespace talvern

#endif  // TALVERN_TESTS_HARNESS_WINDOW_DRIVER_H_
