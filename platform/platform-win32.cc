// kernel32-side services: files, settings, process start, environment, message boxes.
// Only MessageBoxW reaches into user32, which the delay-load thunks load on first use.
#include "platform/platform-win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/decimal.h"
#include "platform/paths.h"

namespace talvern {

std::wstring Win32ErrorText(const wchar_t* function, unsigned long code) {
  wchar_t* text = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD length =
      FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length ? std::wstring(text, length) : std::wstring();
  if (text) LocalFree(text);
  while (!message.empty() &&
         (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
    message.pop_back();
  }
  if (message.empty()) message = L"error " + DecimalText(code);
  return std::wstring(function) + L": " + message;
}

bool RunningExecutable(std::wstring* path, std::wstring* error) {
  // MAX_PATH is only where the search starts: a longer path comes back cut to the buffer.
  constexpr DWORD kLongestPath = 32768;
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length == 0) {
      *error = Win32ErrorText(L"GetModuleFileNameW", GetLastError());
      return false;
    }
    if (length < size) {
      path->assign(buffer.data(), length);
      return true;
    }
    if (size >= kLongestPath) {
      *error = Win32ErrorText(L"GetModuleFileNameW", ERROR_INSUFFICIENT_BUFFER);
      return false;
    }
    buffer.resize(std::min<DWORD>(size * 2, kLongestPath));
  }
}

std::vector<std::wstring> PathForms(const std::wstring& path) {
  using Convert = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
  std::vector<std::wstring> forms = {path};
  for (Convert convert : {Convert{&GetShortPathNameW}, Convert{&GetLongPathNameW}}) {
    const DWORD size = convert(path.c_str(), nullptr, 0);
    if (size == 0) continue;  // no such form here (short names may be switched off)
    std::wstring form(size, L'\0');
    const DWORD length = convert(path.c_str(), &form[0], size);
    if (length == 0 || length >= size) continue;
    form.resize(length);
    if (std::find(forms.begin(), forms.end(), form) == forms.end()) forms.push_back(form);
  }
  return forms;
}

// `path` as file functions take it at any length. Without long paths enabled they stop at
// MAX_PATH, but take the "\\?\" form of the full path beyond it; shorter paths stay as
// given. Only the reading uses this form: the path handed on is the one the user gave.
std::wstring ReachablePath(const std::wstring& path) {
  // Made full, a full path only loses parts ("." and "..", doubled separators, trailing dots
  // and spaces) or becomes a device's ("\\.\COM1"): a short one stays short.
  if (path.size() < MAX_PATH && IsFullPath(path)) return path;
  wchar_t buffer[MAX_PATH];
  const DWORD size = GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
  // 0: the file function reports what is wrong with it; below MAX_PATH: fits as given.
  if (size <= MAX_PATH) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return ExtendedLengthPath(full);
}

// The existing `path` opened for `access`, shared with every other program; never created.
HANDLE OpenExisting(const std::wstring& path, DWORD access) {
  // A pipe's server learns who opened it, but cannot act as that user.
  return CreateFileW(ReachablePath(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                     nullptr);
}

// Closes a file held open, releasing its lock at once rather than some time after closing,
// so that a save can write right after. (CloseHandle's type: one kind of holder.)
BOOL WINAPI UnlockAndClose(HANDLE file) {
  OVERLAPPED whole = {};
  UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
  return CloseHandle(file);
}

namespace {

HWND g_message_owner = nullptr;

class Win32MessageBoxes : public MessageBoxes {
 public:
  void MsgBox(const std::wstring& prompt, MsgIcon icon, const std::wstring& title) override {
    if (!MessageAsConsoleLine(prompt, false)) Show(prompt, MB_OK | static_cast<UINT>(icon), title);
  }

  bool Ask(const std::wstring& prompt, MsgIcon icon, const std::wstring& title,
           DefaultAnswer default_answer) override {
    if (MessageAsConsoleLine(prompt, true)) return false;
    const UINT button = default_answer == DefaultAnswer::kNo ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
    return Show(prompt, MB_YESNO | button | static_cast<UINT>(icon), title) == IDYES;
  }

 private:
  static int Show(const std::wstring& prompt, UINT style, const std::wstring& title) {
    HWND owner = g_message_owner;
    // Without a visible settings window (none, or one still hidden while it opens) the box
    // is all the user sees: owned by nobody it gets a taskbar button, and it comes forward
    // with the keyboard focus instead of opening behind other programs.
    if (!owner || !IsWindowVisible(owner)) {
      owner = nullptr;
      style |= MB_SETFOREGROUND;
    }
    return MessageBoxW(owner, prompt.c_str(), title.c_str(), style);
  }
};

class Win32Reader : public ByteReader {
 public:
  explicit Win32Reader(HANDLE file) : file_(file) {}
  ~Win32Reader() override { CloseHandle(file_); }

  Result ReadByte(std::uint64_t position, std::uint8_t* byte, std::wstring* error) override {
    if (position != next_) {
      LARGE_INTEGER to;
      to.QuadPart = static_cast<LONGLONG>(position);
      if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) {
        *error = Win32ErrorText(L"SetFilePointerEx", GetLastError());
        return Result::kError;
      }
    }
    DWORD got = 0;
    if (!ReadFile(file_, byte, 1, &got, nullptr)) {
      *error = Win32ErrorText(L"ReadFile", GetLastError());
      return Result::kError;
    }
    next_ = position + got;
    return got == 1 ? Result::kByte : Result::kEnd;
  }

  bool ReadStart(std::size_t max, std::string* bytes, std::wstring* error) override {
    if (next_ != 0) {
      LARGE_INTEGER start = {};
      if (!SetFilePointerEx(file_, start, nullptr, FILE_BEGIN)) {
        *error = Win32ErrorText(L"SetFilePointerEx", GetLastError());
        return false;
      }
      next_ = 0;
    }
    bytes->assign(max, '\0');
    DWORD got = 0;
    if (!ReadFile(file_, &(*bytes)[0], static_cast<DWORD>(max), &got, nullptr)) {
      *error = Win32ErrorText(L"ReadFile", GetLastError());
      return false;
    }
    bytes->resize(got);
    next_ = got;
    return true;
  }

 private:
  HANDLE file_;
  std::uint64_t next_ = 0;
};

// The volume and the index on it of the file `path`: the file itself, whatever path names it.
bool Identify(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
  // Reading attributes is never refused for sharing, unlike reading data.
  HANDLE file = OpenExisting(path, FILE_READ_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE) return false;
  const BOOL ok = GetFileInformationByHandle(file, info);
  CloseHandle(file);
  return ok != FALSE;
}

// True when a file (not a folder) exists at `path`.
bool IsFile(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(ReachablePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class Win32FileSystem : public FileSystem {
 public:
  bool FileExists(const std::wstring& path) override { return IsFile(path); }

  std::unique_ptr<ByteReader> OpenForRead(const std::wstring& path, std::wstring* error) override {
    HANDLE file = OpenExisting(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) {
      *error = Win32ErrorText(L"CreateFileW", GetLastError());
      // A folder opens as no file: say what it is, not "access denied".
      const DWORD attributes = GetFileAttributesW(ReachablePath(path).c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = L"フォルダーです。";
      }
      return nullptr;
    }
    // A pipe or a device may keep a read waiting for ever: only files on a disk are read.
    if (GetFileType(file) != FILE_TYPE_DISK) {
      CloseHandle(file);
      *error = L"ディスク上のファイルではありません。";
      return nullptr;
    }
    return std::make_unique<Win32Reader>(file);
  }

  bool ProbePlainFile(const std::wstring& path) override {
    // A wildcard would turn the exact-path probe into a search.
    if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(ReachablePath(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    const DWORD unwanted = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (found.dwFileAttributes & unwanted) == 0;
  }

  bool SameFile(const std::wstring& a, const std::wstring& b) override {
    BY_HANDLE_FILE_INFORMATION x, y;
    if (!Identify(a, &x) || !Identify(b, &y)) return SamePathText(a, b);
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
  }

  bool ReadInternalName(const std::wstring& path, std::wstring* name) override {
    HANDLE file = OpenExisting(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) return false;
    *name = VersionInternalName(file);
    CloseHandle(file);
    return true;
  }
};

class Win32ProcessStarter : public ProcessStarter {
 public:
  bool Start(const std::wstring& application, const std::wstring& command_line,
             std::wstring* error) override {
    std::vector<wchar_t> line(command_line.begin(), command_line.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
      *error = Win32ErrorText(L"CreateProcessW", GetLastError());
      return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
};

class Win32Environment : public Environment {
 public:
  std::wstring Get(const std::wstring& name) override {
    DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0) return std::wstring();
    std::vector<wchar_t> buffer(size);
    DWORD length = GetEnvironmentVariableW(name.c_str(), buffer.data(), size);
    return length < size ? std::wstring(buffer.data(), length) : std::wstring();
  }

  void Set(const wchar_t* name, const std::wstring& value) override {
    SetEnvironmentVariableW(name, value.c_str());
  }

  std::wstring WindowsFolder() override {
    wchar_t folder[MAX_PATH + 1];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
    return length && length <= MAX_PATH ? std::wstring(folder, length) : std::wstring();
  }
};

}  // namespace

void SetMessageOwner(void* window) { g_message_owner = static_cast<HWND>(window); }

std::unique_ptr<MessageBoxes> NewWin32MessageBoxes() {
  return std::make_unique<Win32MessageBoxes>();
}
std::unique_ptr<FileSystem> NewWin32FileSystem() { return std::make_unique<Win32FileSystem>(); }
std::unique_ptr<ProcessStarter> NewWin32ProcessStarter() {
  return std::make_unique<Win32ProcessStarter>();
}
std::unique_ptr<Environment> NewWin32Environment() { return std::make_unique<Win32Environment>(); }

}  // namespace talvern
