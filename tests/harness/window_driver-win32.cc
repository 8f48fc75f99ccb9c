#include <algorithm>

#include "tests/harness/window_driver.h"

namespace talvern {
namespace e2e {

const wchar_t kWindowCaption[] = L"TALVERN Ver1.20";
const wchar_t kMessageCaption[] = TALVERN_E2E_TITLE;

namespace {

struct Search {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if ((search->pid == 0 || pid == search->pid) && IsWindowVisible(window)) {
    search->found.push_back(window);
  }
  return TRUE;
}

// Polls `find` every 20 ms until it gives a window or the time is up.
template <typename Find>
HWND Poll(DWORD timeout_ms, Find find) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    if (HWND window = find()) return window;
    if (GetTickCount64() >= deadline) return nullptr;
    Sleep(20);
  }
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid) {
  Search search{pid, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring WindowText(HWND window) {
  // WM_GETTEXT works across processes, also for edit controls (GetWindowText does not).
  // A hung window must not hang the test.
  DWORD_PTR length = 0, got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return std::wstring();
  }
  std::wstring text(length + 1, L'\0');
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                           SMTO_ABORTIFHUNG, 5000, &got)) {
    return std::wstring();
  }
  text.resize(std::min<std::size_t>(got, length));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

HWND WaitForWindow(DWORD pid, const std::wstring& caption, DWORD timeout_ms) {
  return Poll(timeout_ms, [&]() -> HWND {
    for (HWND window : TopLevelWindows(pid)) {
      if (WindowText(window) == caption) return window;
    }
    return nullptr;
  });
}

std::vector<Control> ChildControls(HWND window) {
  std::vector<Control> controls;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    Control control;
    control.hwnd = child;
    control.class_name = ClassName(child);
    control.text = WindowText(child);
    control.id = GetDlgCtrlID(child);
    control.style = GetWindowLongW(child, GWL_STYLE);
    GetWindowRect(child, &control.rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&control.rect), 2);
    controls.push_back(control);
  }
  return controls;
}

HWND FindControl(HWND window, const std::wstring& text) {
  for (const Control& control : ChildControls(window)) {
    if (control.text == text) return control.hwnd;
  }
  return nullptr;
}

const char* IconName(IconKind kind) {
  switch (kind) {
    case IconKind::kNone:
      return "none";
    case IconKind::kCritical:
      return "critical";
    case IconKind::kExclamation:
      return "exclamation";
    case IconKind::kInformation:
      return "information";
    case IconKind::kUnknown:
      break;
  }
  return "unknown";
}

HWND WaitForMessageBox(DWORD pid, HWND owner, DWORD timeout_ms) {
  return Poll(timeout_ms, [&]() -> HWND {
    for (HWND window : TopLevelWindows(pid)) {
      if (ClassName(window) != L"#32770") continue;
      if (owner && GetWindow(window, GW_OWNER) != owner) continue;
      return window;
    }
    return nullptr;
  });
}

namespace {

// The static control that shows a message box's icon: id 1088 under Wine, 0x14 on Windows.
HWND IconControl(HWND box) {
  for (int id : {1088, 0x14}) {
    HWND control = GetDlgItem(box, id);
    if (control && ClassName(control) == L"Static" &&
        (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      return control;
    }
  }
  return nullptr;
}

// Counts strongly red, yellow and blue pixels in `area` of the screen.
IconKind ClassifyScreenArea(const RECT& area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return IconKind::kUnknown;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  int red = 0, yellow = 0, blue = 0;
  const DWORD* pixel = static_cast<const DWORD*>(bits);
  for (int i = 0; bits && i < width * height; ++i) {
    const int r = (pixel[i] >> 16) & 0xFF, g = (pixel[i] >> 8) & 0xFF, b = pixel[i] & 0xFF;
    if (r > 160 && g < 110 && b < 110) ++red;
    if (r > 180 && g > 150 && b < 100) ++yellow;
    if (b > 140 && r < 110 && b > g + 20) ++blue;
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  const int most = std::max({red, yellow, blue});
  if (most < 12) return IconKind::kUnknown;
  if (most == red) return IconKind::kCritical;
  return most == yellow ? IconKind::kExclamation : IconKind::kInformation;
}

}  // namespace

IconKind MessageBoxIcon(HWND box) {
  HWND icon = IconControl(box);
  if (!icon || !IsWindowVisible(icon)) return IconKind::kNone;
  RECT area;
  GetWindowRect(icon, &area);
  return ClassifyScreenArea(area);
}

MessageBoxInfo ReadMessageBox(HWND box, DWORD timeout_ms) {
  MessageBoxInfo info;
  info.hwnd = box;
  info.caption = WindowText(box);
  wchar_t text[4096] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 4096);
  info.text = text;
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  // The box may not have painted yet.
  while ((info.icon = MessageBoxIcon(box)) == IconKind::kUnknown && GetTickCount64() < deadline) {
    Sleep(50);
  }
  return info;
}

bool WaitDestroyed(HWND window, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  while (IsWindow(window)) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
  return true;
}

bool AnswerBox(HWND box, int button, DWORD timeout_ms) {
  HWND answer = GetDlgItem(box, button);
  if (!answer || !IsWindowVisible(answer)) return false;
  ClickButton(answer);
  return WaitDestroyed(box, timeout_ms);
}

bool DismissMessageBox(HWND box, DWORD timeout_ms) {
  // A Yes/No question has no OK: No is the answer that changes nothing.
  HWND no = GetDlgItem(box, IDNO);
  if (no && IsWindowVisible(no)) return AnswerBox(box, IDNO, timeout_ms);
  HWND ok = GetDlgItem(box, IDOK);
  if (ok) {
    ClickButton(ok);
  } else {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  return WaitDestroyed(box, timeout_ms);
}

MessageBoxInfo TakeMessageBox(DWORD pid, DWORD timeout_ms) {
  HWND box = WaitForMessageBox(pid, nullptr, timeout_ms);
  if (!box) return MessageBoxInfo();
  MessageBoxInfo info = ReadMessageBox(box);
  DismissMessageBox(box);
  return info;
}

namespace {

// Reads and closes one window of the run when it shows one; false when none is shown.
bool HandleOnePopup(DWORD pid, std::vector<Popup>* popups) {
  for (HWND window : TopLevelWindows(pid)) {
    Popup popup;
    popup.class_name = ClassName(window);
    popup.settings_window = WindowText(window) == kWindowCaption;
    if (!popup.settings_window && popup.class_name != L"#32770") continue;
    if (popup.settings_window) {
      popup.box.hwnd = window;
      popup.box.caption = WindowText(window);
      CloseWindowAndWait(window);
    } else {
      popup.box = ReadMessageBox(window);
      DismissMessageBox(window);
    }
    popups->push_back(popup);
    return true;
  }
  return false;
}

}  // namespace

std::vector<Popup> DriveToEnd(ProgramRun& run, bool* ended, DWORD timeout_ms) {
  std::vector<Popup> popups;
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  *ended = false;
  while (GetTickCount64() < deadline) {
    // Once it ended, what it started may still show boxes (another run of Talvern).
    const DWORD pid = run.Running() ? run.pid() : 0;
    if (pid == 0 && run.WaitAllEnded(0)) {
      *ended = true;
      return popups;
    }
    if (!HandleOnePopup(pid, &popups)) Sleep(20);
  }
  return popups;
}

const LeaveWithoutSaving kLeaveWithoutSaving[3] = {
    {"cancel", [](HWND, HWND cancel) { ClickButton(cancel); }},
    {"close box", [](HWND window, HWND) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"Alt+F4",
     [](HWND window, HWND) {
       SendChord(window, {VK_MENU, VK_F4});
     }},
};

void ClickButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool CloseWindowAndWait(HWND window, DWORD timeout_ms) {
  PostMessageW(window, WM_CLOSE, 0, 0);
  return WaitDestroyed(window, timeout_ms);
}

bool BringToFront(HWND window, DWORD timeout_ms) {
  SetForegroundWindow(window);
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  while (GetForegroundWindow() != window) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
    SetForegroundWindow(window);
  }
  return true;
}

namespace {

bool Send(std::vector<INPUT>& inputs) {
  UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Sleep(50);  // let the target's thread take the input before the next step
  return sent == inputs.size();
}

}  // namespace

bool SendChord(HWND window, const std::vector<WORD>& vks) {
  if (!BringToFront(window)) return false;
  std::vector<INPUT> inputs;
  for (WORD vk : vks) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    inputs.push_back(input);
  }
  for (auto vk = vks.rbegin(); vk != vks.rend(); ++vk) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *vk;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  return Send(inputs);
}

bool TypeText(HWND window, const std::wstring& text) {
  if (!BringToFront(window)) return false;
  std::vector<INPUT> inputs;
  for (wchar_t c : text) {
    for (DWORD flags : {DWORD{KEYEVENTF_UNICODE}, DWORD{KEYEVENTF_UNICODE | KEYEVENTF_KEYUP}}) {
      INPUT input = {};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = flags;
      inputs.push_back(input);
    }
  }
  return Send(inputs);
}

HWND FocusedControl(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace e2e
}  // namespace talvern
