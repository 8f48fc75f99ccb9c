// What the settings-window tests share: the layout table, a fixture that opens the
// real window of talvern.exe, and guards for the registry changes some tests make.
#ifndef TALVERN_TESTS_WINDOW_WINDOW_FIXTURE_H_
#define TALVERN_TESTS_WINDOW_WINDOW_FIXTURE_H_

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/harness/harness.h"
#include "tests/harness/window_driver.h"
#include "window/form1_design.h"  // the controls as designed: kDesign, kText1, ...

namespace talvern {
namespace e2e {

/// Controls of the open-file dialog (Wine and Windows): the type list.
constexpr int kFileTypeCombo = 0x470;  // cmb1

/// The caption of every message box.
extern const wchar_t kTitle[];  // "Talvern"

/// Makes programs started from now on see `dpi` (Wine reads it when a process starts);
/// puts the old value back when it goes away.
class DpiGuard {
 public:
  explicit DpiGuard(DWORD dpi);
  ~DpiGuard();
  DpiGuard(const DpiGuard&) = delete;
  DpiGuard& operator=(const DpiGuard&) = delete;

 private:
  bool had_value_ = false;
  DWORD old_ = 0;
};

/// Registers the stand-in automation server as "Word.Application", reporting `folder`
/// as its Path and logging its calls to `log`; unregisters it when it goes away.
class WordServer {
 public:
  WordServer(const std::wstring& folder, const std::wstring& log);
  ~WordServer();
  WordServer(const WordServer&) = delete;
  WordServer& operator=(const WordServer&) = delete;
  bool ok() const { return ok_; }
  /// The calls logged so far ("create", "Path", "Quit", "release").
  std::vector<std::string> Calls() const;
  /// Removes every trace of the server (also what a crashed run left behind).
  static void Unregister();
  /// Registers `command` alone as the local server of "Word.Application".
  static bool RegisterLocalServer(const std::wstring& command);

 private:
  std::wstring log_;
  bool ok_ = false;
};

/// Sets an environment variable for programs started from now on; restores it later.
class EnvironmentGuard {
 public:
  EnvironmentGuard(const wchar_t* name, const wchar_t* value);  // null value: unset
  ~EnvironmentGuard();
  EnvironmentGuard(const EnvironmentGuard&) = delete;
  EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

 private:
  std::wstring name_;
  std::wstring old_;
  bool had_ = false;
};

/// A visible window of the test program in the foreground, run by a thread of its own (so
/// that it answers what other processes send it) until the object goes away.
class ForegroundWindow {
 public:
  ForegroundWindow();
  ~ForegroundWindow();
  ForegroundWindow(const ForegroundWindow&) = delete;
  ForegroundWindow& operator=(const ForegroundWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

 private:
  static DWORD WINAPI Thread(void* self);
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;
  DWORD thread_id_ = 0;
  HWND hwnd_ = nullptr;
};

/// A fresh copy of talvern.exe in the test's own folder, with helpers to open its window.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// Writes Data.ini naming a Word and a text editor that both exist.
  void WriteValidSettings();
  /// Starts talvern.exe with `arguments`; false (with a test failure) when it cannot start.
  bool Start(const std::wstring& arguments = L"");
  /// Waits for the settings window of the run; null (with a test failure) on timeout.
  HWND WaitWindow();
  /// Start() and WaitWindow(), expecting no message box on the way.
  HWND Open(const std::wstring& arguments = L"");
  /// The window's child controls in Z order (tab order).
  std::vector<Control> Controls() const;
  HWND ControlAt(int index) const;
  std::wstring Text(int index) const { return WindowText(ControlAt(index)); }
  /// Replaces a path box's text the way a user does: select all and type.
  void TypeInto(int index, const std::wstring& text);
  /// Presses a button of the window and waits until the window is gone; false on timeout.
  bool PressAndWaitClosed(int index);
  /// The next message box of the run, read and dismissed (null hwnd when none came).
  MessageBoxInfo NextMessage(DWORD timeout_ms = kPatience);
  /// True when no message box of the run shows up within `ms`.
  bool NoMessageFor(DWORD ms);
  /// Waits for the open-file dialog owned by the window; null on timeout.
  HWND WaitFileDialog();
  /// Types `path` into the dialog's file name box and presses Open; true once it closed.
  static bool ChooseInDialog(HWND dialog, const std::wstring& path);
  /// Presses Cancel in the dialog; true once it closed.
  static bool CancelDialog(HWND dialog);
  /// The bytes of Data.ini; "<missing>" when it does not exist.
  std::string DataIni() const;
  /// Waits until talvern.exe has ended.
  bool WaitEnded();

  std::wstring folder_;   ///< the test's folder, ending in "\".
  std::wstring exe_;      ///< talvern.exe in it.
  std::wstring word_;     ///< an existing stand-in Word executable.
  std::wstring notepad_;  ///< the prefix's Notepad.
  std::unique_ptr<ProgramRun> run_;
  HWND window_ = nullptr;
  DocTypeGuard doc_;  ///< ".doc" opens with nothing unless the test maps it.
};

}  // namespace e2e
}  // namespace talvern

#endif  // TALVERN_TESTS_WINDOW_WINDOW_FIXTURE_H_
