// The settings file through the profile functions, read in full and held open against
// locks while a save reads the old values.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/decimal.h"
#include "platform/platform-win32.h"

namespace talvern {

namespace {

// True when the system ANSI code page holds every character of `text`, which is how the
// settings file stores it.
bool FitsAnsiCodePage(const std::wstring& text) {
  if (text.empty()) return true;
  const UINT code_page = GetACP();
  // UTF-8 takes neither the best-fit flag nor the default-character report; the round
  // trip below is the test that holds for every code page.
  const bool utf8 = code_page == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* report = utf8 ? nullptr : &used_default;
  const int length = static_cast<int>(text.size());
  int bytes =
      WideCharToMultiByte(code_page, flags, text.data(), length, nullptr, 0, nullptr, report);
  if (bytes <= 0 || used_default) return false;
  std::string ansi(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(code_page, flags, text.data(), length, &ansi[0], bytes, nullptr, report);
  int chars = MultiByteToWideChar(code_page, 0, ansi.data(), bytes, nullptr, 0);
  std::wstring back(static_cast<std::size_t>(chars), L'\0');
  MultiByteToWideChar(code_page, 0, ansi.data(), bytes, &back[0], chars);
  return back == text;
}

class Win32ProfileStore : public ProfileStore {
 public:
  std::wstring Read(const std::wstring& file, const std::wstring& section,
                    const std::wstring& key) override {
    return ReadProfile(file, section, key.c_str());
  }

  bool Contains(const std::wstring& file, const std::wstring& section,
                const std::wstring& key) override {
    // With no key name the profile functions list the section's keys, NUL-separated.
    const std::wstring names = ReadProfile(file, section, nullptr);
    for (std::size_t start = 0; start < names.size();) {
      const std::size_t end = std::min(names.find(L'\0', start), names.size());
      const std::wstring name = names.substr(start, end - start);
      // Key names match as the profile functions match them, without regard to case.
      if (CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), key.c_str(),
                               static_cast<int>(key.size()), TRUE) == CSTR_EQUAL) {
        return true;
      }
      start = end + 1;
    }
    return false;
  }

  bool CanStoreExactly(const std::wstring& text, std::wstring* why) override {
    if (FitsAnsiCodePage(text)) return true;
    *why = L"この Windows の文字コード (コード ページ " + DecimalText(GetACP()) +
           L") で表せない文字が含まれています。";
    return false;
  }

  bool Write(const std::wstring& file, const std::wstring& section, const std::wstring& key,
             const std::wstring& value, std::wstring* error) override {
    return WriteProfile(file, section, key.c_str(), value.c_str(), error);
  }

  bool Delete(const std::wstring& file, const std::wstring& section, const std::wstring& key,
              std::wstring* error) override {
    // A null value removes the key.
    return WriteProfile(file, section, key.c_str(), nullptr, error);
  }

  bool HoldForReading(const std::wstring& file, std::shared_ptr<void>* hold, std::wstring* error,
                      bool* in_use) override {
    hold->reset();
    HANDLE handle = OpenExisting(file, GENERIC_READ);
    DWORD code = GetLastError();
    const wchar_t* call = L"CreateFileW";
    if (handle != INVALID_HANDLE_VALUE) {
      // Bytes another program locked read as nothing to the profile functions: a shared
      // lock on the whole file fails on such a lock, and keeps new ones out while held. A
      // file system without locks has none to fear either.
      OVERLAPPED whole = {};
      if (LockFileEx(handle, LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole) ||
          (code = GetLastError()) != ERROR_LOCK_VIOLATION) {
        hold->reset(handle, UnlockAndClose);
        return true;
      }
      CloseHandle(handle);
      call = L"LockFileEx";
    }
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;
    *error = Win32ErrorText(call, code);
    *in_use = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
    return false;
  }

  bool RemoveFile(const std::wstring& file, std::wstring* error) override {
    if (DeleteFileW(ReachablePath(file).c_str())) return true;
    *error = Win32ErrorText(L"DeleteFileW", GetLastError());
    return false;
  }

 private:
  // The value of `key`, or with a null key the section's key names, NUL-separated.
  static std::wstring ReadProfile(const std::wstring& file, const std::wstring& section,
                                  const wchar_t* key) {
    // Grow the buffer until the text fits (a cut one comes back one or two short of the
    // size): long paths come back whole.
    std::vector<wchar_t> buffer(256);
    const std::wstring reachable = ReachablePath(file);
    for (;;) {
      const DWORD size = static_cast<DWORD>(buffer.size());
      const DWORD length = GetPrivateProfileStringW(section.c_str(), key, L"", buffer.data(), size,
                                                    reachable.c_str());
      if (length + 2 < size || size >= (1u << 20)) return std::wstring(buffer.data(), length);
      buffer.resize(buffer.size() * 4);
    }
  }

  static bool WriteProfile(const std::wstring& file, const std::wstring& section,
                           const wchar_t* key, const wchar_t* value, std::wstring* error) {
    if (!WritePrivateProfileStringW(section.c_str(), key, value, ReachablePath(file).c_str())) {
      *error = Win32ErrorText(L"WritePrivateProfileStringW", GetLastError());
      return false;
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<ProfileStore> NewWin32ProfileStore() {
  return std::make_unique<Win32ProfileStore>();
}

}  // namespace talvern
