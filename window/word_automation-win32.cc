// Where the installed word processor lives: its local server's registration, or else
// what its automation object says when it is served in process.
// windows.h comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <oleauto.h>
// clang-format on

#include "platform/com_ref-win32.h"
#include "platform/platform-win32.h"
#include "window/services-win32.h"

namespace talvern {

namespace {

bool DispatchId(IDispatch* object, const wchar_t* name, DISPID* id) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id));
}

// Reads the text property `name`; false when it is missing or not text.
bool GetTextProperty(IDispatch* object, const wchar_t* name, std::wstring* value) {
  DISPID id;
  if (!DispatchId(object, name, &id)) return false;
  DISPPARAMS none = {};
  VARIANT result;
  VariantInit(&result);
  bool ok = SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                     &result, nullptr, nullptr)) &&
            SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BSTR));
  if (ok) value->assign(result.bstrVal ? result.bstrVal : L"", SysStringLen(result.bstrVal));
  VariantClear(&result);
  return ok;
}

void CallMethod(IDispatch* object, const wchar_t* name) {
  DISPID id;
  if (!DispatchId(object, name, &id)) return;
  DISPPARAMS none = {};
  VARIANT result;
  VariantInit(&result);
  object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr,
                 nullptr);
  VariantClear(&result);
}

// The default value of an open key as text; empty when it holds none.
ServerCommand DefaultText(HKEY key) {
  ServerCommand command;
  std::wstring text(MAX_PATH, L'\0');
  for (;;) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(text.size()) * static_cast<DWORD>(sizeof(wchar_t));
    const LONG status =
        RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size);
    if (status == ERROR_MORE_DATA) {
      text.resize(size / sizeof(wchar_t) + 1);
      continue;
    }
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return command;
    text.resize(size / sizeof(wchar_t));
    // The stored size may or may not count a terminating null.
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    command.text = text;
    command.expandable = type == REG_EXPAND_SZ;
    return command;
  }
}

class Win32WordAutomation : public WordAutomation {
 public:
  bool QueryPath(const std::wstring& prog_id, std::wstring* folder) override {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(prog_id.c_str(), &clsid))) return false;
    ComRef<IDispatch> word;
    // In process only: a local server could take any time to start, or never finish.
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, word.out()))) {
      return false;
    }
    std::wstring path;
    const bool got = GetTextProperty(word.get(), L"Path", &path);
    // Quit whether or not Path answered: the object may have started the word processor.
    CallMethod(word.get(), L"Quit");
    if (got) *folder = path;
    return got;
  }

  std::vector<ServerCommand> LocalServers(const std::wstring& prog_id) override {
    std::vector<ServerCommand> servers;
    CLSID clsid;
    wchar_t clsid_text[40];
    if (FAILED(CLSIDFromProgID(prog_id.c_str(), &clsid)) ||
        !StringFromGUID2(clsid, clsid_text, 40)) {
      return servers;
    }
    const std::wstring key = std::wstring(L"CLSID\\") + clsid_text + L"\\LocalServer32";
    // A 32-bit program on 64-bit Windows sees the 32-bit classes unless it asks, and a
    // 64-bit one the 64-bit classes: Word may be either.
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      HKEY handle = nullptr;
      if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | view, &handle) ==
          ERROR_SUCCESS) {
        servers.push_back(DefaultText(handle));
        RegCloseKey(handle);
      }
    }
    return servers;
  }
};

}  // namespace

std::unique_ptr<WordAutomation> NewWin32WordAutomation() {
  return std::make_unique<Win32WordAutomation>();
}

}  // namespace talvern
