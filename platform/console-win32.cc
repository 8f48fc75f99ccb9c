// Messages as lines for whoever started Talvern with a switch: a script reads them, nobody
// answers them. Kernel32 only, as in dispatch.
#include <windows.h>

#include <algorithm>

#include "platform/platform-win32.h"

namespace talvern {
namespace {

enum { kBoxes, kDetached, kAttached } g_console = kBoxes;

void Write(const std::wstring& text) {
  const int length = static_cast<int>(text.size());
  DWORD written = 0;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const DWORD type = out ? GetFileType(out) : FILE_TYPE_UNKNOWN;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
    // Redirected: in the console's code page, as the console's own programs write.
    UINT page = g_console == kAttached ? GetConsoleOutputCP() : 0;
    if (page == 0) page = GetACP();
    std::string bytes(text.size() * 3, '\0');  // 3: the most any code page needs
    const int size = WideCharToMultiByte(page, 0, text.c_str(), length, &bytes[0],
                                         static_cast<int>(bytes.size()), nullptr, nullptr);
    WriteFile(out, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
  } else if (g_console == kAttached) {
    HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    WriteConsoleW(screen, text.c_str(), static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(screen);
  }
}

}  // namespace

void SendMessagesToConsole() {
  // The starter's console, when there is one; without it only redirected output is written.
  g_console = AttachConsole(ATTACH_PARENT_PROCESS) ? kAttached : kDetached;
}

bool MessageAsConsoleLine(const std::wstring& prompt, bool question) {
  if (g_console == kBoxes) return false;
  // One line per message, so that a log keeps one line per action; a question's last line
  // is the question, which nobody is there to answer.
  std::size_t end = question ? prompt.rfind(L"\r\n") : prompt.size();
  if (end == std::wstring::npos) end = 0;
  std::wstring line = prompt.substr(0, end);
  line.erase(std::remove(line.begin(), line.end(), L'\n'), line.end());
  std::replace(line.begin(), line.end(), L'\r', L' ');
  Write(line += L"\r\n");
  return true;
}

}  // namespace talvern
