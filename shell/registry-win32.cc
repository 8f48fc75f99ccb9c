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
};

Location Locate(KeyRoot root, const std::wstring& key) {
  switch (root) {
    case KeyRoot::kMachineClasses:
      return {HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + key};
    case KeyRoot::kUserClasses:
      return {HKEY_CURRENT_USER, L"Software\\Classes\\" + key};
    case KeyRoot::kUserSoftware:
      return {HKEY_CURRENT_USER, L"Software\\" + key};
    case KeyRoot::kClasses:
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
  RegResult SetDefaultValue(KeyRoot root, const std::wstring& key, const std::wstring& value,
                            std::wstring* error) override {
    return SetValue(root, key, std::wstring(), value, error);
  }

  RegResult SetValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& value, std::wstring* error) override {
    const Location at = Locate(root, key);
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExW(at.root, at.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS) return Fail(L"RegCreateKeyExW", status, error);
    // REG_SZ sizes count bytes, including the terminating NUL.
    const std::size_t bytes = (value.size() + 1) * sizeof(wchar_t);
    status =
        RegSetValueExW(handle, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(bytes));
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS) return Fail(L"RegSetValueExW", status, error);
    return RegResult::kOk;
  }

  RegResult DeleteKey(KeyRoot root, const std::wstring& key, std::wstring* error) override {
    const Location at = Locate(root, key);
    const LONG status = RegDeleteKeyW(at.root, at.path.c_str());
    if (status != ERROR_SUCCESS) return Fail(L"RegDeleteKeyW", status, error);
    return RegResult::kOk;
  }

  bool GetValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                std::wstring* value) override {
    const Location at = Locate(root, key);
    const wchar_t* value_name = name.empty() ? nullptr : name.c_str();
    DWORD bytes = 0;
    if (RegGetValueW(at.root, at.path.c_str(), value_name, RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS) {
      return false;
    }
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    const std::size_t capacity = data.size() * sizeof(wchar_t);
    bytes = static_cast<DWORD>(capacity);
    if (RegGetValueW(at.root, at.path.c_str(), value_name, RRF_RT_REG_SZ, nullptr, &data[0],
                     &bytes) != ERROR_SUCCESS) {
      return false;
    }
    data.resize(wcslen(data.c_str()));
    *value = data;
    return true;
  }

  RegResult DeleteValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                        std::wstring* error) override {
    const Location at = Locate(root, key);
    const LONG status =
        RegDeleteKeyValueW(at.root, at.path.c_str(), name.empty() ? nullptr : name.c_str());
    if (status != ERROR_SUCCESS) return Fail(L"RegDeleteKeyValueW", status, error);
    return RegResult::kOk;
  }

  bool GetRawValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                   RawValue* value) override {
    // RegQueryValueExW, not RegGetValueW: the bytes come back exactly as stored, with no
    // terminator added to a string and nothing expanded.
    const Location at = Locate(root, key);
    HKEY handle = nullptr;
    if (RegOpenKeyExW(at.root, at.path.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
      return false;
    }
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

  RegResult SetRawValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
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

  bool KeyExists(KeyRoot root, const std::wstring& key) override {
    const Location at = Locate(root, key);
    HKEY handle = nullptr;
    if (RegOpenKeyExW(at.root, at.path.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(handle);
    return true;
  }

  bool KeyIsEmpty(KeyRoot root, const std::wstring& key) override {
    const Location at = Locate(root, key);
    HKEY handle = nullptr;
    if (RegOpenKeyExW(at.root, at.path.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
      return false;
    }
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
