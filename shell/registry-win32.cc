// The registry through advapi32 (loaded on first use: only the settings window gets here).
#include <windows.h>

#include "platform/platform-win32.h"

namespace talvern {
namespace {

struct Location {
  HKEY root;
  std::wstring path;
};

Location Locate(ClassesRoot root, const std::wstring& key) {
  switch (root) {
    case ClassesRoot::kMachine:
      return {HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + key};
    case ClassesRoot::kUser:
      return {HKEY_CURRENT_USER, L"Software\\Classes\\" + key};
    case ClassesRoot::kMerged:
      break;
  }
  return {HKEY_CLASSES_ROOT, key};
}

RegResult Classify(LONG status) {
  switch (status) {
    case ERROR_SUCCESS:
      return RegResult::kOk;
    case ERROR_ACCESS_DENIED:
      return RegResult::kAccessDenied;
    case ERROR_FILE_NOT_FOUND:
      return RegResult::kNotFound;
    default:
      return RegResult::kFailed;
  }
}

RegResult Fail(const wchar_t* function, LONG status, std::wstring* error) {
  *error = Win32ErrorText(function, static_cast<unsigned long>(status));
  return Classify(status);
}

class Win32Registry : public Registry {
 public:
  RegResult SetDefaultValue(ClassesRoot root, const std::wstring& key, const std::wstring& value,
                            std::wstring* error) override {
    const Location at = Locate(root, key);
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExW(at.root, at.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS) return Fail(L"RegCreateKeyExW", status, error);
    // REG_SZ sizes count bytes, including the terminating NUL.
    const std::size_t bytes = (value.size() + 1) * sizeof(wchar_t);
    status =
        RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(bytes));
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS) return Fail(L"RegSetValueExW", status, error);
    return RegResult::kOk;
  }

  RegResult DeleteKey(ClassesRoot root, const std::wstring& key, std::wstring* error) override {
    const Location at = Locate(root, key);
    const LONG status = RegDeleteKeyW(at.root, at.path.c_str());
    if (status != ERROR_SUCCESS) return Fail(L"RegDeleteKeyW", status, error);
    return RegResult::kOk;
  }

  bool KeyExists(ClassesRoot root, const std::wstring& key) override {
    const Location at = Locate(root, key);
    HKEY handle = nullptr;
    if (RegOpenKeyExW(at.root, at.path.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(handle);
    return true;
  }
};

}  // namespace

std::unique_ptr<Registry> NewWin32Registry() { return std::make_unique<Win32Registry>(); }

}  // namespace talvern
