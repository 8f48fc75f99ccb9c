// The registry through advapi32 (loaded on first use: only the settings window gets here).
#include <windows.h>

#include <cstddef>

#include "platform/platform-win32.h"
#include "shell/services-win32.h"

namespace talvern {
namespace {

struct Location {
  HKEY root;
  std::wstring path;
  REGSAM view;  ///< KEY_WOW64_64KEY, KEY_WOW64_32KEY or 0 (this program's own); reads only.
};

Location Locate(KeyRoot root, const std::wstring& key) {
  switch (root) {
    case KeyRoot::kMachineClasses:
      return {HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + key, 0};
    case KeyRoot::kUserClasses:
      return {HKEY_CURRENT_USER, L"Software\\Classes\\" + key, 0};
    case KeyRoot::kUserSoftware:
      return {HKEY_CURRENT_USER, L"Software\\" + key, 0};
    case KeyRoot::kClasses64:
      return {HKEY_CLASSES_ROOT, key, KEY_WOW64_64KEY};
    case KeyRoot::kClasses32:
      return {HKEY_CLASSES_ROOT, key, KEY_WOW64_32KEY};
    case KeyRoot::kClasses:
      break;
  }
  return {HKEY_CLASSES_ROOT, key, 0};
}

// Opens `key` under `root` for `access`; null when it cannot be opened.
HKEY Open(KeyRoot root, const std::wstring& key, REGSAM access) {
  const Location at = Locate(root, key);
  HKEY handle = nullptr;
  if (RegOpenKeyExW(at.root, at.path.c_str(), 0, access | at.view, &handle) != ERROR_SUCCESS) {
    return nullptr;
  }
  return handle;
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
  bool Get(KeyRoot root, const std::wstring& key, const std::wstring& name,
           RawValue* value) override {
    // RegQueryValueExW, not RegGetValueW: the bytes come back exactly as stored, with no
    // terminator added to a string and nothing expanded.
    HKEY handle = Open(root, key, KEY_QUERY_VALUE);
    if (!handle) return false;
    const wchar_t* value_name = name.empty() ? nullptr : name.c_str();
    DWORD type = 0, bytes = 0;
    LONG status = RegQueryValueExW(handle, value_name, nullptr, &type, nullptr, &bytes);
    std::string data;
    // The value may grow between the calls: ask again until it fits.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
      data.resize(bytes);
      status = RegQueryValueExW(handle, value_name, nullptr, &type,
                                reinterpret_cast<BYTE*>(&data[0]), &bytes);
      if (status == ERROR_SUCCESS) break;
    }
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS) return false;
    data.resize(bytes);
    value->type = type;
    value->bytes = data;
    return true;
  }

  RegResult Set(KeyRoot root, const std::wstring& key, const std::wstring& name,
                const RawValue& value, std::wstring* error) override {
    const Location at = Locate(root, key);
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExW(at.root, at.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS) return Fail(L"RegCreateKeyExW", status, error);
    status = RegSetValueExW(handle, name.empty() ? nullptr : name.c_str(), 0, value.type,
                            reinterpret_cast<const BYTE*>(value.bytes.data()),
                            static_cast<DWORD>(value.bytes.size()));
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS) return Fail(L"RegSetValueExW", status, error);
    return RegResult::kOk;
  }

  RegResult DeleteValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                        std::wstring* error) override {
    const Location at = Locate(root, key);
    const LONG status =
        RegDeleteKeyValueW(at.root, at.path.c_str(), name.empty() ? nullptr : name.c_str());
    if (status != ERROR_SUCCESS) return Fail(L"RegDeleteKeyValueW", status, error);
    return RegResult::kOk;
  }

  RegResult DeleteKey(KeyRoot root, const std::wstring& key, std::wstring* error) override {
    const Location at = Locate(root, key);
    const LONG status = RegDeleteKeyW(at.root, at.path.c_str());
    if (status != ERROR_SUCCESS) return Fail(L"RegDeleteKeyW", status, error);
    return RegResult::kOk;
  }

  bool KeyExists(KeyRoot root, const std::wstring& key) override {
    HKEY handle = Open(root, key, KEY_QUERY_VALUE);
    if (handle) RegCloseKey(handle);
    return handle != nullptr;
  }

  bool KeyIsEmpty(KeyRoot root, const std::wstring& key) override {
    HKEY handle = Open(root, key, KEY_QUERY_VALUE);
    if (!handle) return false;
    DWORD subkeys = 0, values = 0;
    const LONG status = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr,
                                         nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS && subkeys == 0 && values == 0;
  }
};

}  // namespace

std::unique_ptr<Registry> NewWin32Registry() { return std::make_unique<Win32Registry>(); }

}  // namespace talvern
