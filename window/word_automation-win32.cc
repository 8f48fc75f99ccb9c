// Where the installed word processor lives, as its automation object says when it is
// served in process.
// windows.h comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <oleauto.h>
// clang-format on

#include "platform/com_ref-win32.h"
#include "platform/platform-win32.h"
#include "window/form1-win32.h"

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
};

}  // namespace

std::unique_ptr<WordAutomation> NewWin32WordAutomation() {
  return std::make_unique<Win32WordAutomation>();
}

}  // namespace talvern
