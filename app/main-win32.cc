// Entry point of talvern.exe: builds the Win32 platform and runs Main.
#include <windows.h>

#include <string>

#include "app/dll_search-win32.h"
#include "launcher/arguments.h"
#include "launcher/module1.h"
#include "platform/platform-win32.h"
#include "shell/services-win32.h"
#include "window/form1-win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace talvern;
  // Before any DLL beyond kernel32 and msvcrt loads (no static object here loads one).
  RestrictDllSearch();
  // Nothing here may touch user32 or COM: dispatch mode stays on kernel32 alone.
  auto messages = NewWin32MessageBoxes();
  auto files = NewWin32FileSystem();
  auto profile = NewWin32ProfileStore();
  auto processes = NewWin32ProcessStarter();
  auto environment = NewWin32Environment();
  auto word = NewWin32WordAutomation();
  auto dialog = NewWin32FileDialog();
  auto registry = NewWin32Registry();
  auto shell = NewWin32Shell();
  auto associations = NewWin32Associations();

  Module1 m;
  Platform p;
  auto window = NewWin32SettingsWindow(m, p);
  p.messages = messages.get();
  p.files = files.get();
  p.profile = profile.get();
  p.processes = processes.get();
  p.environment = environment.get();
  p.word = word.get();
  p.dialog = dialog.get();
  p.registry = registry.get();
  p.shell = shell.get();
  p.window = window.get();
  p.associations = associations.get();

  std::wstring exe_file, error;
  const bool located = RunningExecutable(&exe_file, &error);
  p.App = MakeAppFacts(exe_file);
  p.App.WindowsBuild = WindowsBuild();
  if (!located) {
    // Without its own folder the program can find neither its settings nor itself.
    p.MsgBox(L"実行ファイルの場所が分かりません。\r\n" + error, MsgIcon::kCritical);
    return 1;
  }
  const std::wstring argument_text =
      ArgumentText(GetCommandLineW(), exe_file, [&exe_file] { return PathForms(exe_file); });
  // A failed check or allocation inside the run ends it at once, with its own message and
  // exit code 1 (app/library_failures-win32.cc): nothing is thrown.
  Main(m, p, argument_text);
  return 0;
}
