// File associations through shlwapi and shell32 (both loaded on first use: only the
// settings window asks).
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/paths.h"
#include "platform/platform-win32.h"

namespace talvern {
namespace {

// ASSOCSTR_PROGID (Windows 10 on), which the headers offer only to Windows 10 targets; older
// systems just fail it.
constexpr ASSOCSTR kAssocProgId = static_cast<ASSOCSTR>(ASSOCSTR_SUPPORTED_URI_PROTOCOLS + 1);

// One string of the association, however long; empty when the system has none, with
// `result` (when given) saying why. Never the answer of the "Unknown" class (Windows'
// chooser), which Windows gives for an extension nothing is associated with.
std::wstring AssocString(ASSOCSTR what, const std::wstring& extension, const std::wstring& verb,
                         HRESULT* result = nullptr) {
  const ASSOCF flags = ASSOCF_NOTRUNCATE | ASSOCF_INIT_IGNOREUNKNOWN;
  const wchar_t* extra = verb.empty() ? nullptr : verb.c_str();
  DWORD size = 0;
  HRESULT hr = AssocQueryStringW(flags, what, extension.c_str(), extra, nullptr, &size);
  if (result) *result = hr;
  if (hr != S_FALSE || size == 0) return std::wstring();
  std::wstring text(size, L'\0');
  hr = AssocQueryStringW(flags, what, extension.c_str(), extra, &text[0], &size);
  if (result) *result = hr;
  if (FAILED(hr)) return std::wstring();
  text.resize(wcslen(text.c_str()));
  return text;
}

class Win32Associations : public Associations {
 public:
  bool Query(const std::wstring& extension, const std::wstring& verb, std::wstring* executable,
             std::wstring* friendly_name) override {
    HRESULT why = S_OK;
    *executable = AssocString(ASSOCSTR_EXECUTABLE, extension, verb, &why);
    *friendly_name = AssocString(ASSOCSTR_FRIENDLYAPPNAME, extension, verb);
    if (!executable->empty()) return true;
    // A handler without a command (DelegateExecute: packaged apps) has no executable.
    // Windows names its COM object; Wine cannot, but then fails with another error than
    // "nothing is associated".
    const bool delegated = !AssocString(ASSOCSTR_DELEGATEEXECUTE, extension, verb).empty();
    if (!delegated && why == HRESULT_FROM_WIN32(ERROR_NO_ASSOCIATION)) return false;
    for (ASSOCSTR what : {ASSOCSTR_FRIENDLYDOCNAME, kAssocProgId}) {
      if (!friendly_name->empty()) break;
      *friendly_name = AssocString(what, extension, verb);
    }
    return !friendly_name->empty();
  }

  bool SameFile(const std::wstring& a, const std::wstring& b) override {
    const std::vector<std::wstring> forms = PathForms(b);
    for (const std::wstring& form : PathForms(a)) {
      if (std::any_of(forms.begin(), forms.end(),
                      [&](const std::wstring& other) { return SamePathText(form, other); })) {
        return true;
      }
    }
    return false;
  }

  void NotifyChanged() override {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  }
};

}  // namespace

std::unique_ptr<Associations> NewWin32Associations() {
  return std::make_unique<Win32Associations>();
}

}  // namespace talvern
