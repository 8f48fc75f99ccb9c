// Messages as lines for whoever started Talvern with a switch: a script reads them, nobody
// answers them. Kernel32 only, as in dispatch.
#include <windows.h>

#include <algorithm>

#include "platform/platform-win32.h"

namespace talvern {
namespace {

enum Console { kBoxes, kDetached, kAttached };
Console g_console = kBoxes;

void Write(const wchar_t* text, std::size_t length) {
  DWORD written = 0;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (WriteConsoleW(out, text, static_cast<DWORD>(length), &written, nullptr)) return;
  if (out) {
    // Redirected (a file, a pipe): in the console's code page, as the console's own
    // programs write.
    UINT page = g_console == kAttached ? GetConsoleOutputCP() : 0;
    if (page == 0) page = GetACP();
    char bytes[1024];
    for (std::size_t done = 0, part; done < length; done += part) {
      part = std::min<std::size_t>(length - done, 300);  // 3 bytes a character at most
      if (part > 1 && text[done + part - 1] >= 0xD800 && text[done + part - 1] < 0xDC00) --part;
      const int size = WideCharToMultiByte(page, 0, text + done, static_cast<int>(part), bytes,
                                           sizeof(bytes), nullptr, nullptr);
      WriteFile(out, bytes, static_cast<DWORD>(size), &written, nullptr);
    }
  } else if (g_console == kAttached) {
    HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    WriteConsoleW(screen, text, static_cast<DWORD>(length), &written, nullptr);
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
  // One line per message, so that a log keeps one line per action: its lines joined by
  // spaces. A question's last line is the question, which nobody is there to answer.
  const std::size_t end = question ? std::min(prompt.rfind(L'\r'), prompt.size()) : prompt.size();
  for (std::size_t start = 0, stop; start <= end; start = stop + 2) {
    stop = std::min(prompt.find(L'\r', start), end);
    Write(prompt.c_str() + start, stop - start);
    Write(stop == end ? L"\r\n" : L" ", stop == end ? 2 : 1);
  }
  return true;
}

}  // namespace talvern
