#include "platform/paths.h"
#include "platform/platform.h"

namespace talvern {

AppFacts MakeAppFacts(const std::wstring& exe_file) {
  AppFacts app;
  app.ExeFile = exe_file;
  std::wstring name = FileName(exe_file);
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && SamePathText(name.substr(dot), L".exe")) name.erase(dot);
  app.Path = FolderOf(exe_file);
  app.EXEName = name;
  app.Title = TALVERN_TITLE;
  app.ProductName = TALVERN_PRODUCT_NAME;
  app.Version = TALVERN_VERSION_TEXT;
  app.LegalCopyright = TALVERN_COPYRIGHT;
  return app;
}

bool IsTalvern(Platform& p, const std::wstring& path) {
  // Every version's InternalName (platform/talvern.rc). A file that could be read needs no
  // comparing with the running executable, which costs more under Wine than the reads.
  std::wstring name;
  if (p.files->ReadInternalName(path, &name)) return SamePathText(name, L"Talvern");
  return p.files->SameFile(path, p.App.ExeFile);
}

}  // namespace talvern
