// The process environment and the running Windows' version, as the Win32 layer reads them.
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/platform-win32.h"

namespace talvern {

namespace {

class Win32Environment : public Environment {
 public:
  std::wstring Get(const std::wstring& name) override {
    DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0) return std::wstring();
    std::vector<wchar_t> buffer(size);
    DWORD length = GetEnvironmentVariableW(name.c_str(), buffer.data(), size);
    return length < size ? std::wstring(buffer.data(), length) : std::wstring();
  }

  std::wstring WindowsFolder() override {
    wchar_t folder[MAX_PATH + 1];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
    return length && length <= MAX_PATH ? std::wstring(folder, length) : std::wstring();
  }
};

}  // namespace

unsigned long WindowsBuild() {
  // GetVersionExW answers with the newest Windows the manifest names, not the running one.
  using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto get = ntdll ? reinterpret_cast<GetVersion>(
                               reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                         : nullptr;
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!get || get(&info) != 0) return 0;
  return info.dwBuildNumber;
}

std::unique_ptr<Environment> NewWin32Environment() { return std::make_unique<Win32Environment>(); }

}  // namespace talvern
