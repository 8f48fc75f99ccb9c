// Entry point of talvern.exe: builds the Win32 platform and runs Main.
#include <windows.h>

#include <string>

#include "app/dll_search-win32.h"
#include "launcher/arguments.h"
#include "launcher/module1.h"
#include "launcher/switches.h"
#include "platform/platform-win32.h"
#include "shell/registrations.h"
#include "shell/sendto.h"
#include "shell/services-win32.h"
#include "shell/verb.h"
#include "window/form1-win32.h"

namespace talvern {
namespace {

// The buttons' work, each answering in one line, as do a refused command line and the
// usage; the highest outcome is the exit code (6: refused, nothing done).
int RunSwitches(Platform& p, unsigned switches) {
  if (switches & kMixedSwitches) {
    p.MsgBox(L"スイッチと文書は一緒に指定できません。何もしていません。", MsgIcon::kCritical);
  }
  if (switches & (kUsageSwitch | kMixedSwitches)) {
    p.MsgBox(L"使い方: talvern.exe /register /sendto /unregister (文書とは一緒に指定できません) "
             L"終了コード: 0 完了、2 削除するものなし、3 既定のアプリはユーザーが選ぶ、"
             L"4 ほかのプログラムのものを残した、5 失敗、6 スイッチの誤り",
             MsgIcon::kInformation);
  }
  if (switches & kMixedSwitches) return 6;
  Outcome worst = Outcome::kDone;
  for (unsigned bit = kUnregisterSwitch; bit != kMixedSwitches; bit <<= 1) {
    if (!(switches & bit)) continue;
    const Outcome outcome = bit == kUnregisterSwitch ? RemoveAllRegistrations(p, false)
                            : bit == kRegisterSwitch ? SetAssociation(p)
                                                     : CreateSendToShortcut(p);
    if (outcome > worst) worst = outcome;
  }
  return static_cast<int>(worst);
}

}  // namespace
}  // namespace talvern

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
  // Switches need no settings and show nothing: a script reads lines and the exit code.
  // A failed check or allocation inside the run ends it at once, with its own message and
  // exit code 1 (app/library_failures-win32.cc): nothing is thrown.
  const unsigned switches = ReadSwitches(argument_text);
  if (!switches) {
    Main(m, p, argument_text);
    return 0;
  }
  SendMessagesToConsole();
  return RunSwitches(p, switches);
}
