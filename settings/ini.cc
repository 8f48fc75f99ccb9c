#include "settings/ini.h"

#include <memory>

#include "platform/paths.h"

namespace talvern {
namespace ini {

namespace {

bool CanStore(ProfileStore& store, const Setting& setting, std::wstring* why) {
  return store.CanStoreExactly(setting.section, why) && store.CanStoreExactly(setting.key, why) &&
         store.CanStoreExactly(setting.value, why);
}

// A key as it was before a save touched it.
struct Before {
  bool present = false;
  std::wstring value;
};

// Puts the first `count` settings back as `before` says, last written first.
void Restore(ProfileStore& store, const std::wstring& file, const std::vector<Setting>& settings,
             const std::vector<Before>& before, std::size_t count, SaveFailure* failure) {
  for (std::size_t k = count; k-- != 0;) {
    const Setting& setting = settings[k];
    std::wstring error;
    const bool ok = before[k].present
                        ? store.Write(file, setting.section, setting.key, before[k].value, &error)
                        : store.Delete(file, setting.section, setting.key, &error);
    if (ok) {
      failure->restored.push_back(setting.key);
    } else {
      failure->unrestored.push_back(setting.key + L": " + error);
    }
  }
}

}  // namespace

std::wstring AppFolder(const AppFacts& app) { return AddPathSeparator(app.Path); }

std::wstring SettingsFile(const AppFacts& app) { return AppFolder(app) + L"Data.ini"; }

std::wstring ReadSetting(Platform& p, const std::wstring& section, const std::wstring& key) {
  return p.profile->Read(SettingsFile(p.App), section, key);
}

bool LoadSettings(Platform& p, Settings* settings, std::wstring* reason, bool* in_use) {
  const std::wstring file = SettingsFile(p.App), exe = kExeSection;
  std::shared_ptr<void> hold;
  if (!p.profile->HoldForReading(file, &hold, reason, in_use)) return false;
  settings->word = p.profile->Read(file, exe, kWordKey);
  settings->text = p.profile->Read(file, exe, kTextKey);
  settings->word_formats = p.profile->Read(file, kOptionSection, kWordFormatsKey) == L"1";
  return true;
}

std::wstring AsRead(const std::wstring& value) {
  const std::size_t first = value.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::wstring();
  std::wstring text = value.substr(first, value.find_last_not_of(L" \t") + 1 - first);
  const bool quoted =
      text.size() >= 2 && (text[0] == L'"' || text[0] == L'\'') && text.back() == text[0];
  return quoted ? text.substr(1, text.size() - 2) : text;
}

std::int32_t WriteSetting(Platform& p, const std::wstring& section, const std::wstring& key,
                          const std::wstring& value, std::wstring* why) {
  std::wstring error;
  if (CanStore(*p.profile, {section, key, value}, &error) &&
      p.profile->Write(SettingsFile(p.App), section, key, value, &error)) {
    return 1;
  }
  if (why) *why = error;
  return 0;
}

bool SaveSettings(Platform& p, const std::vector<Setting>& settings, SaveFailure* failure) {
  ProfileStore& store = *p.profile;
  for (const Setting& setting : settings) {
    if (!CanStore(store, setting, &failure->reason)) {
      failure->key = setting.key;
      return false;
    }
  }
  const std::wstring file = SettingsFile(p.App);
  // The profile functions read a file they cannot open as empty; held open here, it cannot
  // be locked against them while they read, so a rollback never deletes a key that was
  // there.
  std::shared_ptr<void> hold;
  if (!store.HoldForReading(file, &hold, &failure->reason, &failure->in_use)) {
    failure->unread = true;
    return false;
  }
  const bool file_existed = p.files->FileExists(file);
  std::vector<Before> before(settings.size());
  for (std::size_t k = 0; k != settings.size(); ++k) {
    const Setting& setting = settings[k];
    before[k].present = store.Contains(file, setting.section, setting.key);
    if (before[k].present) before[k].value = store.Read(file, setting.section, setting.key);
  }
  hold.reset();
  for (std::size_t k = 0; k != settings.size(); ++k) {
    const Setting& setting = settings[k];
    if (!store.Write(file, setting.section, setting.key, setting.value, &failure->reason)) {
      failure->key = setting.key;
      Restore(store, file, settings, before, k, failure);
      // A file this save created goes again: its existence alone decides how the next run
      // starts.
      std::wstring error;
      if (!file_existed && failure->unrestored.empty() && p.files->FileExists(file) &&
          !store.RemoveFile(file, &error)) {
        failure->unrestored.push_back(file);
        failure->unrestored.back().append(L": ").append(error);
      }
      return false;
    }
  }
  return true;
}

bool SaveSettings(Platform& p, const Settings& settings, SaveFailure* failure) {
  const bool option =
      settings.word_formats || !ReadSetting(p, kOptionSection, kWordFormatsKey).empty();
  const std::size_t count = option ? 3 : 2;
  std::vector<Setting> written(count);
  const wchar_t* const keys[] = {kWordKey, kTextKey, kWordFormatsKey};
  const std::wstring* const values[] = {&settings.word, &settings.text, nullptr};
  for (std::size_t k = 0; k != count; ++k) {
    written[k].section = k < 2 ? kExeSection : kOptionSection;
    written[k].key = keys[k];
    written[k].value = values[k] ? *values[k] : settings.word_formats ? L"1" : L"0";
  }
  return SaveSettings(p, written, failure);
}

}  // namespace ini
}  // namespace talvern
