#include <cwctype>

#include "platform/platform.h"

namespace talvern {

AppFacts MakeAppFacts(const std::wstring& exe_file) {
  AppFacts app;
  app.ExeFile = exe_file;
  const std::size_t slash = exe_file.find_last_of(L"\\/");
  std::wstring folder = slash == std::wstring::npos ? std::wstring() : exe_file.substr(0, slash);
  std::wstring name = slash == std::wstring::npos ? exe_file : exe_file.substr(slash + 1);
  // A drive root keeps its separator: "C:\", never "C:".
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) {
    std::wstring extension = name.substr(dot);
    for (wchar_t& c : extension) c = static_cast<wchar_t>(std::towlower(c));
    if (extension == L".exe") name.erase(dot);
  }
  app.Path = folder;
  app.EXEName = name;
  app.Title = TALVERN_TITLE;
  app.ProductName = TALVERN_PRODUCT_NAME;
  app.Version = TALVERN_VERSION_TEXT;
  app.LegalCopyright = TALVERN_COPYRIGHT;
  return app;
}

}  // namespace talvern
