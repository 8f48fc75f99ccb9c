// Answers what Talvern shows when it opens, for scripts/run.sh on a screen nobody sees:
//   opening_driver.exe [--picture PNG] TALVERN.EXE [ARGUMENT...]
// starts Talvern, prints each message box (icon and text, UTF-8) and presses its OK (No
// when it asks Yes or No, so that nothing changes), and ends as soon as the settings
// window shows, leaving it open (exit code 0), after saving a picture of the window alone
// to PNG when asked. When Talvern ends first, exits with Talvern's exit code; when neither
// happens in time, or the picture cannot be saved, with 2.
#include <string>

#include "tests/harness/picture.h"
#include "tests/harness/window_driver.h"

namespace {

using namespace talvern::e2e;

void Print(const std::wstring& text) {
  const std::string bytes = "run.sh: Talvern: " + Utf8(text) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

// The arguments after ours, each quoted as the command line of a run of Talvern.
std::wstring CommandLine(int argc, wchar_t** argv) {
  std::wstring line;
  for (int i = 1; i < argc; ++i) line += (i > 1 ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
  return line;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring picture;
  if (argc > 2 && std::wstring(argv[1]) == L"--picture") {
    picture = argv[2];
    argc -= 2;  // TALVERN.EXE is argv[1] again
    argv += 2;
  }
  if (argc < 2) {
    Print(L"usage: opening_driver.exe [--picture PNG] TALVERN.EXE [ARGUMENT...]");
    return 2;
  }
  std::wstring line = CommandLine(argc, argv);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  // Talvern's own output goes nowhere, so that nothing waits for it to end.
  startup.dwFlags = STARTF_USESTDHANDLES;
  if (!CreateProcessW(argv[1], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    Print(ErrorText(L"CreateProcessW", GetLastError()));
    return 2;
  }
  CloseHandle(info.hThread);
  const ULONGLONG deadline = GetTickCount64() + kPatience;
  while (GetTickCount64() < deadline) {
    if (HWND box = WaitForMessageBox(info.dwProcessId, nullptr, 100)) {
      const MessageBoxInfo shown = ReadMessageBox(box);
      Print(L"[" + FromUtf8(IconName(shown.icon)) + L"] " + shown.text);
      DismissMessageBox(box);
      continue;
    }
    if (HWND window = WaitForWindow(info.dwProcessId, kWindowCaption, 100)) {
      Print(L"[settings window] " + std::wstring(kWindowCaption));
      std::string error;
      if (picture.empty() || SavePng(CaptureWindow(window), picture, &error)) return 0;
      Print(L"no picture: " + FromUtf8(error));
      return 2;
    }
    DWORD code = 0;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(info.hProcess, &code)) {
      return static_cast<int>(code);
    }
  }
  Print(L"neither a message box nor the settings window came");
  return 2;
}
