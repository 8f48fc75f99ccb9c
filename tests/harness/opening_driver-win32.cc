// Answers what Talvern shows when it opens, for scripts/run.sh on a screen nobody sees:
//   opening_driver.exe [--picture PNG] TALVERN.EXE [DOCUMENT...]
// starts Talvern, prints each message box (icon and text, UTF-8) and presses its OK (No
// when it asks Yes or No, so that nothing changes), until Talvern ends or shows its settings
// window (left open). Without documents, PNG gets a picture of the settings window alone.
// With documents, it waits for the programs Talvern started to show a window, prints which
// one each document went to (from their command lines) and PNG gets the whole screen.
// Exits with Talvern's exit code (0 while the settings window stays open), or with 2 when
// neither happens in time or the picture cannot be saved.
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/harness/picture.h"
#include "tests/harness/window_driver.h"

namespace {

using namespace talvern::e2e;

// How long each started program gets to show its first window.
constexpr DWORD kProgramPatience = 5000;

void Print(const std::wstring& text) {
  const std::string bytes = "run.sh: " + Utf8(text) + "\n";
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

// A program Talvern started, as the system shows it.
struct Started {
  DWORD pid = 0;
  std::wstring image;                   // the executable's full path
  std::vector<std::wstring> arguments;  // what it makes of its command line, its name left out
};

// The command line `process` was started with, from its process parameters (Wine 8 knows
// no ProcessCommandLineInformation); empty when it cannot be read.
std::wstring CommandLineOf(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic = {};
  PEB peb = {};
  RTL_USER_PROCESS_PARAMETERS parameters = {};
  const NTSTATUS status =
      NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr);
  if (status < 0 || !ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr) ||
      !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters),
                         nullptr)) {
    return std::wstring();
  }
  std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
  if (!line.empty() && !ReadProcessMemory(process, parameters.CommandLine.Buffer, &line[0],
                                          parameters.CommandLine.Length, nullptr)) {
    return std::wstring();
  }
  // A program may cut its line short in place (Wine's Notepad does): up to the first NUL.
  return std::wstring(line.c_str());
}

Started Describe(HANDLE process, DWORD pid) {
  Started started;
  started.pid = pid;
  wchar_t image[MAX_PATH * 4] = {};
  DWORD length = MAX_PATH * 4;
  if (QueryFullProcessImageNameW(process, 0, image, &length)) started.image.assign(image, length);
  int count = 0;
  const std::wstring line = CommandLineOf(process);
  if (wchar_t** argv = line.empty() ? nullptr : CommandLineToArgvW(line.c_str(), &count)) {
    started.arguments.assign(argv + 1, argv + count);
    LocalFree(argv);
  }
  return started;
}

ULONGLONG CreationTime(HANDLE process) {
  FILETIME created = {}, unused[3];
  GetProcessTimes(process, &created, &unused[0], &unused[1], &unused[2]);
  return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// The processes whose parent is `talvern`: a process keeps its parent's id after the parent
// ended, and `talvern` stays open, so its id is not given to another process meanwhile.
std::vector<Started> ProgramsStartedBy(const PROCESS_INFORMATION& talvern) {
  std::vector<Started> started;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return started;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID != talvern.dwProcessId) continue;
    HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
    if (!process) continue;
    // One that a process of the same id started before Talvern existed is not Talvern's.
    if (CreationTime(process) >= CreationTime(talvern.hProcess)) {
      started.push_back(Describe(process, entry.th32ProcessID));
    }
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  return started;
}

// Waits until each program shows a window, then gives each a column of the screen, its
// message boxes centred in it, and the settings window (when shown) the space below, so that
// the picture shows every one.
void ShowSideBySide(const std::vector<Started>& programs, HWND settings) {
  for (const Started& program : programs) {
    const ULONGLONG deadline = GetTickCount64() + kProgramPatience;
    while (TopLevelWindows(program.pid).empty() && GetTickCount64() < deadline) Sleep(100);
  }
  Sleep(1000);  // for what they show next, a message box say
  const int count = static_cast<int>(programs.size());
  const int width = GetSystemMetrics(SM_CXSCREEN) / std::max(count, 1);
  const int height = GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
  for (int i = 0; i < count; ++i) {
    for (HWND window : TopLevelWindows(programs[i].pid)) {
      RECT now;
      GetWindowRect(window, &now);
      const bool box = ClassName(window) == L"#32770";
      const int w = box ? now.right - now.left : width, h = box ? now.bottom - now.top : height;
      SetWindowPos(window, nullptr, std::max(0, i * width + (width - w) / 2), (height - h) / 2, w,
                   h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (settings) SetWindowPos(settings, nullptr, 0, height, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Sleep(500);  // to paint afresh
}

// "<document> -> <program> ("<caption>", ...)" for each document, from the program whose
// command line names it.
void ReportDocuments(const std::vector<std::wstring>& documents,
                     const std::vector<Started>& programs) {
  for (const std::wstring& document : documents) {
    std::wstring line = document + L" -> nothing opened it";
    for (const Started& program : programs) {
      bool named = false;
      for (const std::wstring& argument : program.arguments) {
        named = named || CompareStringOrdinal(argument.c_str(), -1, document.c_str(), -1, TRUE) ==
                             CSTR_EQUAL;
      }
      if (!named) continue;
      line = document + L" -> " + program.image;
      std::wstring windows;
      for (HWND window : TopLevelWindows(program.pid)) {
        windows += (windows.empty() ? L" (\"" : L", \"") + WindowText(window) + L"\"";
        // A message box says what went wrong.
        if (ClassName(window) == L"#32770") {
          windows += L" says \"" + WindowText(GetDlgItem(window, 0xFFFF)) + L"\"";
        }
      }
      line += windows.empty() ? L" (no window)" : windows + L")";
    }
    Print(line);
  }
}

// Prints and answers Talvern's message boxes until it ends (`code` set) or shows its
// settings window (returned). False when neither happens in time.
bool DriveOpening(const PROCESS_INFORMATION& talvern, HWND* settings, DWORD* code) {
  const ULONGLONG deadline = GetTickCount64() + kPatience;
  while (GetTickCount64() < deadline) {
    if (HWND box = WaitForMessageBox(talvern.dwProcessId, nullptr, 100)) {
      // Its icon is told by its colours on the screen: moved where the programs started
      // meanwhile show nothing.
      RECT area;
      GetWindowRect(box, &area);
      SetWindowPos(box, HWND_TOPMOST, GetSystemMetrics(SM_CXSCREEN) - (area.right - area.left),
                   GetSystemMetrics(SM_CYSCREEN) - (area.bottom - area.top), 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE);
      Sleep(200);
      const MessageBoxInfo shown = ReadMessageBox(box);
      Print(L"Talvern: [" + FromUtf8(IconName(shown.icon)) + L"] " + shown.text);
      DismissMessageBox(box);
      continue;
    }
    if ((*settings = WaitForWindow(talvern.dwProcessId, kWindowCaption, 100))) {
      Print(L"Talvern: [settings window] " + std::wstring(kWindowCaption));
      *code = 0;
      return true;
    }
    if (WaitForSingleObject(talvern.hProcess, 0) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(talvern.hProcess, code)) {
      return true;
    }
  }
  Print(L"neither a message box nor the settings window came");
  return false;
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
    Print(L"usage: opening_driver.exe [--picture PNG] TALVERN.EXE [DOCUMENT...]");
    return 2;
  }
  const std::vector<std::wstring> documents(argv + 2, argv + argc);
  std::wstring line = CommandLine(argc, argv);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION talvern = {};
  // Talvern's own output goes nowhere, so that nothing waits for it to end.
  startup.dwFlags = STARTF_USESTDHANDLES;
  if (!CreateProcessW(argv[1], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &talvern)) {
    Print(ErrorText(L"CreateProcessW", GetLastError()));
    return 2;
  }
  CloseHandle(talvern.hThread);
  HWND settings = nullptr;
  DWORD code = 2;
  if (!DriveOpening(talvern, &settings, &code)) return 2;
  if (documents.empty() && !settings) return static_cast<int>(code);
  Picture shot;
  if (documents.empty()) {
    shot = CaptureWindow(settings);
  } else {
    const std::vector<Started> programs = ProgramsStartedBy(talvern);
    ShowSideBySide(programs, settings);
    ReportDocuments(documents, programs);
    shot = Capture({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  }
  std::string error;
  if (picture.empty() || SavePng(shot, picture, &error)) return static_cast<int>(code);
  Print(L"no picture: " + FromUtf8(error));
  return 2;
}
