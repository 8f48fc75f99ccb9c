#include <sstream>

#include "tests/window/window_fixture.h"
#include "tests/window/wordserver/wordserver.h"

namespace talvern {
namespace e2e {

const wchar_t kTitle[] = L"Talvern";

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

void SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name,
                       const std::wstring& value, bool* ok) {
  const LSTATUS status = RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) {
    ADD_FAILURE() << Utf8(ErrorText(L"RegSetKeyValueW", static_cast<DWORD>(status)));
    *ok = false;
  }
}

}  // namespace

DpiGuard::DpiGuard(DWORD dpi) {
  DWORD size = sizeof(old_);
  had_value_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                            &old_, &size) == ERROR_SUCCESS;
  RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
}

DpiGuard::~DpiGuard() {
  if (had_value_) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &old_, sizeof(old_));
  } else {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
  }
}

WordServer::WordServer(const std::wstring& folder, const std::wstring& log) : log_(log) {
  Unregister();
  DeleteFileW(log.c_str());
  const std::wstring clsid_key = std::wstring(L"CLSID\\") + kWordServerClsidText;
  ok_ = true;
  SetRegistryString(HKEY_CLASSES_ROOT, L"Word.Application\\CLSID", nullptr, kWordServerClsidText,
                    &ok_);
  SetRegistryString(HKEY_CLASSES_ROOT, clsid_key, nullptr, L"Talvern test Word.Application", &ok_);
  SetRegistryString(HKEY_CLASSES_ROOT, clsid_key + L"\\ProgID", nullptr, L"Word.Application", &ok_);
  SetRegistryString(HKEY_CLASSES_ROOT, clsid_key + L"\\InprocServer32", nullptr,
                    FromUnixPath(TALVERN_E2E_WORDSERVER_DLL), &ok_);
  SetRegistryString(HKEY_CLASSES_ROOT, clsid_key + L"\\InprocServer32", L"ThreadingModel",
                    L"Apartment", &ok_);
  SetRegistryString(HKEY_CURRENT_USER, kWordServerKey, L"Path", folder, &ok_);
  SetRegistryString(HKEY_CURRENT_USER, kWordServerKey, L"Log", log, &ok_);
}

WordServer::~WordServer() { Unregister(); }

void WordServer::Unregister() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Word.Application");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kWordServerClsidText).c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, kWordServerKey);
}

bool WordServer::RegisterLocalServer(const std::wstring& command) {
  bool ok = true;
  SetRegistryString(HKEY_CLASSES_ROOT, L"Word.Application\\CLSID", nullptr, kWordServerClsidText,
                    &ok);
  SetRegistryString(HKEY_CLASSES_ROOT,
                    std::wstring(L"CLSID\\") + kWordServerClsidText + L"\\LocalServer32", nullptr,
                    command, &ok);
  return ok;
}

std::vector<std::string> WordServer::Calls() const {
  std::string bytes;
  std::vector<std::string> calls;
  if (!ReadBytes(log_, &bytes)) return calls;
  std::istringstream lines(bytes);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    calls.push_back(line);
  }
  return calls;
}

EnvironmentGuard::EnvironmentGuard(const wchar_t* name, const wchar_t* value) : name_(name) {
  wchar_t old[32768];
  const DWORD length = GetEnvironmentVariableW(name, old, 32768);
  had_ = length > 0 && length < 32768;
  if (had_) old_ = old;
  SetEnvironmentVariableW(name, value);
}

EnvironmentGuard::~EnvironmentGuard() {
  SetEnvironmentVariableW(name_.c_str(), had_ ? old_.c_str() : nullptr);
}

ForegroundWindow::ForegroundWindow() {
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &ForegroundWindow::Thread, this, 0, &thread_id_);
  if (!thread_ || WaitForSingleObject(ready_, kPatience) != WAIT_OBJECT_0 || !hwnd_) {
    ADD_FAILURE() << "the test's own window did not open";
    return;
  }
  EXPECT_TRUE(BringToFront(hwnd_)) << "the test's own window did not come to the front";
}

ForegroundWindow::~ForegroundWindow() {
  if (thread_) {
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, kPatience);
    CloseHandle(thread_);
  }
  if (ready_) CloseHandle(ready_);
}

DWORD WINAPI ForegroundWindow::Thread(void* param) {
  auto* self = static_cast<ForegroundWindow*>(param);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TalvernTestForeground";
  RegisterClassW(&wc);
  self->hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"another program", WS_OVERLAPPEDWINDOW, 0, 0,
                                1280, 1024, nullptr, nullptr, wc.hInstance, nullptr);
  if (self->hwnd_) ShowWindow(self->hwnd_, SW_SHOW);
  SetEvent(self->ready_);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  if (self->hwnd_) DestroyWindow(self->hwnd_);
  return 0;
}

void WindowTest::SetUp() {
  WordServer::Unregister();
  folder_ = TestFolder();
  ASSERT_FALSE(folder_.empty());
  exe_ = CopyTalvern(folder_);
  ASSERT_FALSE(exe_.empty());
  word_ = folder_ + L"Office\\WINWORD.EXE";
  ASSERT_TRUE(InstallStandIn(word_));
  wchar_t windir[MAX_PATH] = {};
  GetEnvironmentVariableW(L"WINDIR", windir, MAX_PATH);
  notepad_ = std::wstring(windir) + L"\\notepad.exe";
}

void WindowTest::TearDown() {
  // Whatever is still open is closed without saving; the job ends the rest.
  if (run_ && run_->Running()) {
    for (HWND box : TopLevelWindows(run_->pid())) {
      if (ClassName(box) == L"#32770") PostMessageW(box, WM_CLOSE, 0, 0);
    }
    if (window_ && IsWindow(window_)) CloseWindowAndWait(window_, 3000);
  }
  run_.reset();
}

void WindowTest::WriteValidSettings() {
  ASSERT_TRUE(WriteDataIni(folder_, DataIniBytes(word_, notepad_)));
}

bool WindowTest::Start(const std::wstring& arguments) {
  std::wstring error;
  run_ = ProgramRun::Start(exe_, arguments, &error);
  if (!run_) ADD_FAILURE() << "talvern.exe did not start: " << Utf8(error);
  return run_ != nullptr;
}

HWND WindowTest::WaitWindow() {
  window_ = WaitForWindow(run_->pid(), kWindowCaption);
  if (!window_) ADD_FAILURE() << "the settings window did not open";
  return window_;
}

HWND WindowTest::Open(const std::wstring& arguments) {
  if (!Start(arguments)) return nullptr;
  if (!WaitWindow()) return nullptr;
  EXPECT_TRUE(NoMessageFor(200)) << "unexpected message box at opening";
  return window_;
}

std::vector<Control> WindowTest::Controls() const { return ChildControls(window_); }

HWND WindowTest::ControlAt(int index) const {
  const std::vector<Control> controls = Controls();
  return index < static_cast<int>(controls.size()) ? controls[index].hwnd : nullptr;
}

void WindowTest::TypeInto(int index, const std::wstring& text) {
  HWND box = ControlAt(index);
  ASSERT_TRUE(BringToFront(window_));
  // Click into the box, select everything in it and type over it.
  RECT rect;
  GetWindowRect(box, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, click, sizeof(INPUT));
  Sleep(100);
  ASSERT_EQ(FocusedControl(window_), box);
  ASSERT_TRUE(SendChord(window_, {VK_HOME}));
  ASSERT_TRUE(SendChord(window_, {VK_SHIFT, VK_END}));
  if (text.empty()) {
    ASSERT_TRUE(SendChord(window_, {VK_DELETE}));
  } else {
    ASSERT_TRUE(TypeText(window_, text));
  }
  // Typing is asynchronous: wait until the box shows the text.
  for (int i = 0; i < 100 && WindowText(box) != text; ++i) Sleep(20);
}

bool WindowTest::PressAndWaitClosed(int index) {
  ClickButton(ControlAt(index));
  return WaitDestroyed(window_);
}

MessageBoxInfo WindowTest::NextMessage(DWORD timeout_ms) {
  return TakeMessageBox(run_->pid(), timeout_ms);
}

bool WindowTest::NoMessageFor(DWORD ms) {
  return WaitForMessageBox(run_->pid(), nullptr, ms) == nullptr;
}

HWND WindowTest::WaitFileDialog() { return WaitForMessageBox(run_->pid(), window_, kPatience); }

namespace {

// The open-file dialog's file name box: an Edit with the id of cmb13 (inside a combo
// box) or of edt1.
BOOL CALLBACK FindFileNameBox(HWND child, LPARAM found) {
  const int id = GetDlgCtrlID(child);
  if (ClassName(child) != L"Edit" || (id != 0x47c && id != 0x480)) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

}  // namespace

bool WindowTest::ChooseInDialog(HWND dialog, const std::wstring& path) {
  HWND name = nullptr;
  EnumChildWindows(dialog, FindFileNameBox, reinterpret_cast<LPARAM>(&name));
  if (!name) return false;
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return WaitDestroyed(dialog);
}

bool WindowTest::CancelDialog(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  return WaitDestroyed(dialog);
}

std::string WindowTest::DataIni() const {
  std::string bytes;
  return ReadBytes(folder_ + L"Data.ini", &bytes) ? bytes : std::string("<missing>");
}

bool WindowTest::WaitEnded() { return run_->WaitEnded(); }

}  // namespace e2e
}  // namespace talvern
