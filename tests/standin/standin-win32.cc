// Stand-in for Word and the text editor in end-to-end tests. Copied to any name
// (WINWORD.EXE, notepad.exe, ...); each run appends one UTF-8 line to
// "<its own full path>.log" and exits without a window:
//   <wShowWindow or -1>\t<creation time, 100 ns units>\t<process id>\t<n>\t<argument 1>\t
//   ...<argument n>\t<command line>
// The creation time orders the records of processes started one after another, which
// may finish in any order. The arguments are what the program itself makes of its command
// line, as the C run time and CommandLineToArgvW split it, its own name left out (n = -1
// when that fails); the raw command line comes last, as it alone may hold tabs.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

namespace {

std::wstring OwnPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                      nullptr, nullptr);
  return bytes;
}

// The show state the starter asked for, or -1 when it asked for none.
int RequestedShowState() {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
}

unsigned long long CreationTime() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Paths of MAX_PATH characters or more need the "\\?\" form on Windows.
std::wstring LongForm(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.compare(0, 2, L"\\\\") == 0) return path;
  return L"\\\\?\\" + path;
}

std::wstring ArgumentFields() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments) return L"-1\t";
  std::wstring fields = std::to_wstring(count - 1) + L"\t";
  for (int i = 1; i < count; ++i) fields += arguments[i] + std::wstring(L"\t");
  LocalFree(arguments);
  return fields;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring line =
      std::to_wstring(RequestedShowState()) + L"\t" + std::to_wstring(CreationTime()) + L"\t" +
      std::to_wstring(GetCurrentProcessId()) + L"\t" + ArgumentFields() + GetCommandLineW() + L"\n";
  const std::string bytes = Utf8(line);
  // Several stand-ins may finish at once, and appends of different processes are not atomic
  // under Wine: only one writer may hold the log (readers may share it).
  HANDLE log = INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < 10000 && log == INVALID_HANDLE_VALUE; ++tries) {
    log = CreateFileW(LongForm(OwnPath() + L".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION) break;
    if (log == INVALID_HANDLE_VALUE) Sleep(1);
  }
  if (log == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  BOOL ok = WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(log);
  return ok && written == bytes.size() ? 0 : 3;
}
