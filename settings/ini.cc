#include "settings/ini.h"

#include "platform/paths.h"

namespace talvern {
namespace ini {

std::wstring AppFolder(const AppFacts& app) { return AddPathSeparator(app.Path); }

std::wstring SettingsFile(const AppFacts& app) { return AppFolder(app) + L"Data.ini"; }

std::wstring ReadSetting(Platform& p, const std::wstring& section, const std::wstring& key) {
  return p.profile->Read(SettingsFile(p.App), section, key);
}

std::int32_t WriteSetting(Platform& p, const std::wstring& section, const std::wstring& key,
                          const std::wstring& value, std::wstring* why) {
  std::wstring error;
  if (p.profile->Write(SettingsFile(p.App), section, key, value, &error)) return 1;
  if (why) *why = error;
  return 0;
}

}  // namespace ini
}  // namespace talvern
