#include "platform/paths.h"
#include "platform/platform.h"

namespace talvern {

AppFacts MakeAppFacts(const std::wstring& exe_file) {
  AppFacts app;
  app.ExeFile = exe_file;
  std::wstring name = FileName(exe_file);
  std::wstring folder = exe_file.substr(0, exe_file.size() - name.size());
  if (!folder.empty()) folder.pop_back();
  // A drive root keeps its separator: "C:\", never "C:".
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && SamePathText(name.substr(dot), L".exe")) name.erase(dot);
  app.Path = folder;
  app.EXEName = name;
  app.Title = TALVERN_TITLE;
  app.ProductName = TALVERN_PRODUCT_NAME;
  app.Version = TALVERN_VERSION_TEXT;
  app.LegalCopyright = TALVERN_COPYRIGHT;
  return app;
}

}  // namespace talvern
