// The settings file "Data.ini" beside the executable.
#ifndef TALVERN_SETTINGS_INI_H_
#define TALVERN_SETTINGS_INI_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {
namespace ini {

/// The settings file's sections and keys: the programs, and the option that sends the other
/// formats Word opens to Word too ("1"; "0" or none: compound files only).
constexpr wchar_t kExeSection[] = L"EXE";
constexpr wchar_t kWordKey[] = L"WORD";
constexpr wchar_t kTextKey[] = L"TEXT";
constexpr wchar_t kOptionSection[] = L"OPTION";
constexpr wchar_t kWordFormatsKey[] = L"WORDFORMATS";

/// What the settings file holds, the programs as the profile functions read them back.
struct Settings {
  std::wstring word;
  std::wstring text;
  bool word_formats = false;
};

/// The application folder with exactly one trailing "\", worked out on every call.
std::wstring AppFolder(const AppFacts& app);

/// Full path of the settings file.
std::wstring SettingsFile(const AppFacts& app);

/// The whole value of `key` in `section`; empty when there is none. Never creates the file.
std::wstring ReadSetting(Platform& p, const std::wstring& section, const std::wstring& key);

/// Reads `settings` from the settings file, held open for reading meanwhile: the profile
/// functions read a file they cannot open as empty. A missing file gives empty settings;
/// false with `reason` (and `*in_use` as HoldForReading sets it) when it cannot be opened.
bool LoadSettings(Platform& p, Settings* settings, std::wstring* reason, bool* in_use);

/// `value` as the profile functions read it back once written: without the blanks around it
/// and without one pair of quotes (" or ') around what is left.
std::wstring AsRead(const std::wstring& value);

/// Writes one key; nonzero on success, 0 when the value could not be stored exactly
/// (then nothing was written and `why`, when given, says why).
std::int32_t WriteSetting(Platform& p, const std::wstring& section, const std::wstring& key,
                          const std::wstring& value, std::wstring* why = nullptr);

/// One key of the settings file and the value a save gives it.
struct Setting {
  std::wstring section;
  std::wstring key;
  std::wstring value;
};

/// Why a save did not happen, and what became of the keys written before the failure.
struct SaveFailure {
  std::wstring key;                      ///< the key that could not be stored.
  std::wstring reason;                   ///< why.
  std::vector<std::wstring> restored;    ///< keys written before it, put back as they were.
  std::vector<std::wstring> unrestored;  ///< "KEY: reason" for keys that stay changed.
  bool unread = false;  ///< the old values could not be read, so nothing was written.
  bool in_use = false;  ///< unread because another program has the file open or locked.
};

/// Saves `settings` in order, all or nothing: every one is checked, and the old values are
/// read from a file held open for reading, before any is written (a file that cannot be
/// opened refuses the save); when a write fails the keys written before it get back their old
/// values (or their absence), and a settings file the save created is removed. False with
/// `failure`.
bool SaveSettings(Platform& p, const std::vector<Setting>& settings, SaveFailure* failure);

/// Saves the programs, then the option, as above; the option only when it is on or the file
/// names it already, so that a file of the versions without it stays as they wrote it.
bool SaveSettings(Platform& p, const Settings& settings, SaveFailure* failure);

}  // namespace ini
}  // namespace talvern

#endif  // TALVERN_SETTINGS_INI_H_
