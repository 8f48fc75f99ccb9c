// File associations through shlwapi and shell32 (both loaded on first use: only the
// settings window asks).
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/platform-win32.h"

namespace talvern {
namespace {

// One string of the association, however long; empty when the system has none.
std::wstring AssocString(ASSOCSTR what, const std::wstring& extension, const std::wstring& verb) {
  const wchar_t* extra = verb.empty() ? nullptr : verb.c_str();
  DWORD size = 0;
  if (AssocQueryStringW(ASSOCF_NOTRUNCATE, what, extension.c_str(), extra, nullptr, &size) !=
          S_FALSE ||
      size == 0) {
    return std::wstring();
  }
  std::wstring text(size, L'\0');
  if (FAILED(
          AssocQueryStringW(ASSOCF_NOTRUNCATE, what, extension.c_str(), extra, &text[0], &size))) {
    return std::wstring();
  }
  text.resize(wcslen(text.c_str()));
  return text;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

class Win32Associations : public Associations {
 public:
  bool Query(const std::wstring& extension, const std::wstring& verb, std::wstring* executable,
             std::wstring* friendly_name) override {
    *executable = AssocString(ASSOCSTR_EXECUTABLE, extension, verb);
    if (executable->empty()) return false;
    *friendly_name = AssocString(ASSOCSTR_FRIENDLYAPPNAME, extension, verb);
    return true;
  }

  bool SameFile(const std::wstring& a, const std::wstring& b) override {
    const std::vector<std::wstring> forms = PathForms(b);
    for (const std::wstring& form : PathForms(a)) {
      if (std::any_of(forms.begin(), forms.end(),
                      [&](const std::wstring& other) { return SameText(form, other); })) {
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
