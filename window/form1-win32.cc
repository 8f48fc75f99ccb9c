// The settings window as a real Win32 window: a plain top-level window with a
// dialog frame, run modally by its own message loop.
// windows.h comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
// clang-format on

#include "window/form1-win32.h"

#include <string>
#include <vector>

#include "platform/platform-win32.h"
#include "platform/resources.h"
#include "window/form1.h"
#include "window/layout-win32.h"

namespace talvern {

namespace {

const wchar_t kClassName[] = L"TalvernForm1";
const wchar_t kStoredCaption[] = L"TALVERN";

// Items added to the system menu. Their command ids keep the low four bits free, which
// WM_SYSCOMMAND uses for itself, and stay below the system's own commands.
constexpr UINT kWordFormatsCommand = 0x0010;
constexpr UINT kAboutCommand = 0x0020;
const wchar_t kWordFormatsItem[] = L"Word で開ける形式も Word で開く";
const wchar_t kAboutItem[] = L"バージョン情報";
constexpr UINT kRemoveAllCommand = 0x0030;
const wchar_t kRemoveAllItem[] = L"登録をすべて削除(&U)...";
constexpr UINT kTryDocumentCommand = 0x0040;
const wchar_t kTryDocumentItem[] = L"文書を判別してみる(&T)...";
// The message by which Windows hands over the dropped files' list; not in the headers.
constexpr UINT kCopyGlobalData = 0x0049;

// The click events the window binds, by control; the labels and boxes have none.
using Click = void (Form1::*)();
const Click kClicks[kControlCount] = {
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    &Form1::cmdWord_Click,
    &Form1::cmdText_Click,
    &Form1::Command1_Click,
    &Form1::Command2_Click,
    &Form1::Command3_Click,
    &Form1::Command4_Click,
    &Form1::Command5_Click,
    &Form1::Command6_Click,
};

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
  return text;
}

class Win32Form : public Form1View {
 public:
  Win32Form(Module1& m, Platform& p) : p_(p), form_(m, p, *this) {}
  Win32Form(const Win32Form&) = delete;
  Win32Form& operator=(const Win32Form&) = delete;
  ~Win32Form() override {
    if (hwnd_) DestroyWindow(hwnd_);
  }

  /// Creates the hidden window with its controls; false with `error` on failure.
  bool Open(std::wstring* error);
  /// Loads, shows and runs the window until it is destroyed.
  void Run();

  std::wstring Text1() override { return WindowText(layout_.control(kText1)); }
  void SetText1(const std::wstring& text) override { SetText(kText1, text); }
  std::wstring Text2() override { return WindowText(layout_.control(kText2)); }
  void SetText2(const std::wstring& text) override { SetText(kText2, text); }
  void SetCaption(const std::wstring& caption) override { SetWindowTextW(hwnd_, caption.c_str()); }
  bool WordFormatsChecked() override {
    const UINT state = GetMenuState(GetSystemMenu(hwnd_, FALSE), kWordFormatsCommand, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
  }
  void SetWordFormatsChecked(bool checked) override {
    CheckMenuItem(GetSystemMenu(hwnd_, FALSE), kWordFormatsCommand,
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
  void Unload() override { Close(kUnloadFormCode); }
  void* Handle() override { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnCommand(WPARAM wparam);
  LRESULT OnClose();
  LRESULT OnActivate(WPARAM wparam);
  LRESULT OnDpiChanged(WPARAM wparam, LPARAM lparam);
  LRESULT OnSysCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnDropFiles(WPARAM wparam);
  void AcceptFiles();
  void OnNcDestroy();

  bool RegisterFormClass(HINSTANCE instance, std::wstring* error);
  bool PrepareSystemMenu(std::wstring* error);
  void SetText(int index, const std::wstring& text) {
    SetWindowTextW(layout_.control(index), text.c_str());
  }
  void Close(int unload_mode);

  Platform& p_;
  Form1 form_;
  FormLayout layout_;
  HWND hwnd_ = nullptr;
  HWND saved_focus_ = nullptr;  // the control that gets the focus back on activation
};

bool Win32Form::RegisterFormClass(HINSTANCE instance, std::wstring* error) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &Win32Form::Proc;
  wc.hInstance = instance;
  // Shared icons belong to the system, which frees them with the module: the class may
  // outlive this window, so nothing here could free them at the right time.
  const UINT icon_flags = LR_DEFAULTCOLOR | LR_SHARED;
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TALVERN_ICON), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                           icon_flags));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TALVERN_ICON), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), icon_flags));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
  *error = Win32ErrorText(L"RegisterClassExW", GetLastError());
  return false;
}

bool Win32Form::Open(std::wstring* error) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterFormClass(instance, error)) return false;
  // The size is set by the layout once the window's DPI is known.
  hwnd_ = CreateWindowExW(kFormExStyle, kClassName, kStoredCaption, kFormStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
  if (!hwnd_) {
    *error = Win32ErrorText(L"CreateWindowExW", GetLastError());
    return false;
  }
  if (!layout_.Create(hwnd_, error)) return false;
  layout_.Apply(hwnd_, FormLayout::WindowDpi(hwnd_));
  if (!PrepareSystemMenu(error)) return false;
  AcceptFiles();
  // Access keys are always underlined, not only after Alt has been pressed.
  SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
  saved_focus_ = layout_.control(kText1);
  return true;
}

bool Win32Form::PrepareSystemMenu(std::wstring* error) {
  HMENU menu = GetSystemMenu(hwnd_, FALSE);
  if (!menu) {
    *error = Win32ErrorText(L"GetSystemMenu", GetLastError());
    return false;
  }
  // A window that cannot be resized offers no sizing commands.
  for (UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) {
    DeleteMenu(menu, command, MF_BYCOMMAND);
  }
  // The option and the version live here, so the window's layout stays as it is; the
  // removal stands apart from them, next to the window's own closing.
  if (!AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) ||
      !AppendMenuW(menu, MF_STRING, kRemoveAllCommand, kRemoveAllItem) ||
      !AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) ||
      !AppendMenuW(menu, MF_STRING, kWordFormatsCommand, kWordFormatsItem) ||
      !AppendMenuW(menu, MF_STRING, kTryDocumentCommand, kTryDocumentItem) ||
      !AppendMenuW(menu, MF_STRING, kAboutCommand, kAboutItem)) {
    *error = Win32ErrorText(L"AppendMenuW", GetLastError());
    return false;
  }
  return true;
}

void Win32Form::Run() {
  SetMessageOwner(hwnd_);
  // Messages about the settings come before the window is visible.
  form_.Form_Load();
  if (hwnd_) {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    SetFocus(saved_focus_);
  }
  MSG msg;
  while (hwnd_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) {
      p_.MsgBox(Win32ErrorText(L"GetMessageW", GetLastError()), MsgIcon::kCritical);
      DestroyWindow(hwnd_);
      break;
    }
    if (got == 0) {
      // Someone asked the thread to quit: leave without saving, and pass the request on.
      DestroyWindow(hwnd_);
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    // Plain letters go to the control with the focus, never to the dialog manager: only
    // Alt+letter presses a button, so typing can never click one by accident.
    if (msg.message == WM_CHAR || !IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  SetMessageOwner(nullptr);
}

void Win32Form::Close(int unload_mode) {
  int cancel = 0;
  form_.Form_QueryUnload(&cancel, unload_mode);
  if (!cancel && hwnd_) DestroyWindow(hwnd_);
}

LRESULT Win32Form::OnCommand(WPARAM wparam) {
  // Enter and Esc arrive as IDOK and IDCANCEL, which no control carries: they do nothing.
  const int index = FormLayout::IndexOfId(LOWORD(wparam));
  if (HIWORD(wparam) == BN_CLICKED && index >= 0 && kClicks[index]) (form_.*kClicks[index])();
  return 0;
}

LRESULT Win32Form::OnClose() {
  Close(kUnloadFormControlMenu);
  return 0;
}

LRESULT Win32Form::OnActivate(WPARAM wparam) {
  // Message boxes and the open-file dialog take the focus away; give it back to the
  // control that had it, so a typed letter never lands on the window and presses a button.
  if (LOWORD(wparam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) saved_focus_ = focus;
  } else if (saved_focus_ && IsWindow(saved_focus_)) {
    SetFocus(saved_focus_);
  }
  return 0;
}

LRESULT Win32Form::OnDpiChanged(WPARAM wparam, LPARAM lparam) {
  const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
  SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  layout_.Apply(hwnd_, HIWORD(wparam));
  return 0;
}

LRESULT Win32Form::OnSysCommand(WPARAM wparam, LPARAM lparam) {
  // The frame is fixed: the taskbar's or a tool's requests to size, minimise or maximise
  // are refused as the missing title-bar buttons are.
  switch (wparam & 0xFFF0) {
    case SC_SIZE:
    case SC_MINIMIZE:
    case SC_MAXIMIZE:
      return 0;
    case kWordFormatsCommand:
      form_.mnuWordFormats_Click();
      return 0;
    case kAboutCommand:
      form_.mnuAbout_Click();
      return 0;
    case kRemoveAllCommand:
      form_.mnuRemoveAll_Click();
      return 0;
    case kTryDocumentCommand:
      form_.mnuTryDocument_Click();
      return 0;
  }
  return DefWindowProcW(hwnd_, WM_SYSCOMMAND, wparam, lparam);
}

void Win32Form::AcceptFiles() {
  DragAcceptFiles(hwnd_, TRUE);
  // Run as administrator, the window would otherwise refuse drops from Explorer, which
  // runs at a lower integrity level. A drop only gets read, never started.
  for (UINT message :
       {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData}) {
    ChangeWindowMessageFilterEx(hwnd_, message, MSGFLT_ALLOW, nullptr);
  }
}

LRESULT Win32Form::OnDropFiles(WPARAM wparam) {
  HDROP drop = reinterpret_cast<HDROP>(wparam);
  std::vector<std::wstring> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i != count; ++i) {
    std::wstring file(static_cast<std::size_t>(DragQueryFileW(drop, i, nullptr, 0)) + 1, L'\0');
    file.resize(DragQueryFileW(drop, i, &file[0], static_cast<UINT>(file.size())));
    if (!file.empty()) files.push_back(file);
  }
  DragFinish(drop);
  // The drop's source keeps the foreground; the answer belongs in front of the user.
  SetForegroundWindow(hwnd_);
  form_.Form_DropFiles(files);
  return 0;
}

void Win32Form::OnNcDestroy() {
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
}

LRESULT Win32Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wparam);
    case WM_CLOSE:
      return OnClose();
    case WM_ACTIVATE:
      return OnActivate(wparam);
    case WM_DPICHANGED:
      return OnDpiChanged(wparam, lparam);
    case WM_SYSCOMMAND:
      return OnSysCommand(wparam, lparam);
    case WM_DROPFILES:
      return OnDropFiles(wparam);
    case WM_NCDESTROY:
      OnNcDestroy();
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK Win32Form::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<Win32Form*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!form) return DefWindowProcW(hwnd, message, wparam, lparam);
  return form->HandleMessage(message, wparam, lparam);
}

class Win32SettingsWindow : public SettingsWindow {
 public:
  Win32SettingsWindow(Module1& m, Platform& p) : m_(m), p_(p) {}

  void ShowModal() override {
    // COM (Word detection, the open-file dialog) and the common controls are needed only
    // here, never in dispatch mode.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    {
      Win32Form form(m_, p_);
      std::wstring error;
      if (form.Open(&error)) {
        form.Run();
      } else {
        p_.MsgBox(error, MsgIcon::kCritical);
      }
    }
    if (SUCCEEDED(com)) CoUninitialize();
  }

 private:
  Module1& m_;
  Platform& p_;
};

}  // namespace

std::unique_ptr<SettingsWindow> NewWin32SettingsWindow(Module1& m, Platform& p) {
  return std::make_unique<Win32SettingsWindow>(m, p);
}

}  // namespace talvern
