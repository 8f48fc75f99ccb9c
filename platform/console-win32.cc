// Messages as lines for whoever started Talvern with a switch: a script reads them, nobody
// answers them. Kernel32 only, as in dispatch.
#include <windows.h>

#include "platform/platform-win32.h"

namespace talvern {
namespace {

class ConsoleLines : public MessageBoxes {
 public:
  // A console of the starter's, when there is one; without it the lines go nowhere.
  ConsoleLines() : console_(AttachConsole(ATTACH_PARENT_PROCESS) != 0) {}

  void MsgBox(const std::wstring& prompt, MsgIcon, const std::wstring&) override {
    // One line per message, so that a log keeps one line per action.
    std::wstring line;
    for (wchar_t c : prompt) {
      if (c != L'\n') line += c == L'\r' ? L' ' : c;
    }
    Write(line + L"\r\n");
  }

  // Nobody is there to answer: no, which leaves everything as it is.
  bool Ask(const std::wstring&, MsgIcon, const std::wstring&, DefaultAnswer) override {
    return false;
  }

 private:
  void Write(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    DWORD written = 0;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const DWORD type = out ? GetFileType(out) : FILE_TYPE_UNKNOWN;
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
      // Redirected: in the console's code page, as the console's own programs write.
      UINT page = console_ ? GetConsoleOutputCP() : 0;
      if (page == 0) page = GetACP();
      std::string bytes(text.size() * 3, '\0');  // 3: the most any code page needs
      const int size = WideCharToMultiByte(page, 0, text.c_str(), length, &bytes[0],
                                           static_cast<int>(bytes.size()), nullptr, nullptr);
      WriteFile(out, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
    } else if (console_) {
      HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
      WriteConsoleW(screen, text.c_str(), static_cast<DWORD>(length), &written, nullptr);
      CloseHandle(screen);
    }
  }

  bool console_;
};

}  // namespace

std::unique_ptr<MessageBoxes> NewWin32ConsoleLines() { return std::make_unique<ConsoleLines>(); }

}  // namespace talvern
