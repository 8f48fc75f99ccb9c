// The settings file "Data.ini" beside the executable.
#ifndef TALVERN_SETTINGS_INI_H_
#define TALVERN_SETTINGS_INI_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace talvern {
namespace ini {

/// The application folder with exactly one trailing "\", worked out on every call.
std::wstring AppFolder(const AppFacts& app);

/// Full path of the settings file.
std::wstring SettingsFile(const AppFacts& app);

/// The whole value of `key` in `section`; empty when there is none. Never creates the file.
std::wstring ReadSetting(Platform& p, const std::wstring& section, const std::wstring& key);

/// Writes one key; nonzero on success, 0 when the value could not be stored exactly
/// (then nothing was written and `why`, when given, says why).
std::int32_t WriteSetting(Platform& p, const std::wstring& section, const std::wstring& key,
                          const std::wstring& value, std::wstring* why = nullptr);

}  // namespace ini
}  // namespace talvern

#endif  // TALVERN_SETTINGS_INI_H_
