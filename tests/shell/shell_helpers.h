// Helpers of the shell end-to-end tests: the Word document class in the registry (kept
// out of later tests, made read-only on demand), Talvern installed with stand-ins, its
// settings window driven by button captions, and shell links read back.
#ifndef TALVERN_TESTS_SHELL_SHELL_HELPERS_H_
#define TALVERN_TESTS_SHELL_SHELL_HELPERS_H_

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/harness/harness.h"
#include "tests/harness/window_driver.h"

namespace talvern {
namespace e2e {

/// Per-user classes, which HKEY_CLASSES_ROOT merges in on Windows (not under Wine).
constexpr wchar_t kUserClasses[] = L"Software\\Classes\\";
constexpr wchar_t kClassKey[] = L"Word.Document.8";
constexpr wchar_t kShellKey[] = L"Word.Document.8\\shell";
constexpr wchar_t kVerbKey[] = L"Word.Document.8\\shell\\TVern";
constexpr wchar_t kCommandKey[] = L"Word.Document.8\\shell\\TVern\\command";

/// Talvern's per-user keys as a program the user can choose for ".doc" files.
constexpr wchar_t kTalvernClass[] = L"Software\\Classes\\Talvern.Document";
constexpr wchar_t kTalvernKey[] = L"Software\\Talvern";
constexpr wchar_t kOpenWithKey[] = L"Software\\Classes\\.doc\\OpenWithProgids";
constexpr wchar_t kRegisteredKey[] = L"Software\\RegisteredApplications";

/// Keeps the Word document class and Talvern's per-user keys of one test away from every
/// other test: removes them (and unmaps ".doc") now, and again when it goes away.
class ClassesGuard {
 public:
  ClassesGuard();
  ~ClassesGuard();
  ClassesGuard(const ClassesGuard&) = delete;
  ClassesGuard& operator=(const ClassesGuard&) = delete;
  DocTypeGuard doc;
};

/// The default value of `key` and its type; false when the key or the value is missing.
bool ReadDefault(HKEY root, const std::wstring& key, DWORD* type, std::wstring* value);
/// Creates each key and lets everyone only read it: writes to it are refused from now on
/// (until the wineserver ends or UnlockTree). True when every key was locked.
bool LockKeys(HKEY root, const std::vector<std::wstring>& keys);
/// Gives everyone full access to `key` and everything below it again.
void UnlockTree(HKEY root, const std::wstring& key);

/// Talvern copied somewhere with stand-ins for Word and the text editor beside it.
struct Installation {
  std::wstring exe;   ///< the copied talvern executable.
  std::wstring word;  ///< WINWORD.EXE stand-in, configured as WORD.
  std::wstring text;  ///< notepad.exe stand-in, configured as TEXT.
};
/// Copies talvern.exe into `folder` as `name`, puts the two stand-ins under `folder`
/// and writes the Data.ini that names them. False when any part fails.
bool Install(const std::wstring& folder, const std::wstring& name, Installation* out);

/// A run of Talvern that shows its settings window, driven like a user would.
class SettingsRun {
 public:
  /// Starts `exe` without documents and waits for the window "TALVERN Ver1.20".
  static std::unique_ptr<SettingsRun> Open(const std::wstring& exe, std::wstring* error);
  /// Closes the window (when still open) and waits for the program to end.
  ~SettingsRun();
  /// Clicks the button captioned `caption`; the message box it brought up, read and
  /// answered with `answer` (hwnd null when none came or no such button exists).
  MessageBoxInfo Click(const std::wstring& caption, int answer = IDOK);
  /// Closes the window without saving; true when the program and whatever it started
  /// ended.
  bool Close();
  HWND window() const { return window_; }

 private:
  SettingsRun() = default;
  std::unique_ptr<ProgramRun> run_;
  HWND window_ = nullptr;
};

/// The current user's SendTo folder, without a trailing "\" (empty when unknown).
std::wstring SendToFolder();
/// The target (and the description) of the shell link `link_file`, read through IShellLinkW;
/// false with `error`.
bool ResolveLink(const std::wstring& link_file, std::wstring* target, std::wstring* error,
                 std::wstring* description = nullptr);
/// Gives the shell link `link_file` a description, as a user does in its properties.
bool DescribeLink(const std::wstring& link_file, const std::wstring& description,
                  std::wstring* error);
/// Starts the shell link `link_file` with `parameters`, as a double-click with files does.
bool ShellStart(const std::wstring& link_file, const std::wstring& parameters, std::wstring* error);

/// Bytes of a small compound document and of a plain-text one.
std::string CompoundBytes();
std::string PlainTextBytes();

}  // namespace e2e
}  // namespace talvern

#endif  // TALVERN_TESTS_SHELL_SHELL_HELPERS_H_
