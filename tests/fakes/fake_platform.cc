#include "tests/fakes/fake_platform.h"

#include "settings/ini.h"

namespace talvern {

FakePlatform::FakePlatform() : FakePlatform(L"C:\\Tools\\talvern.exe") {}

FakePlatform::FakePlatform(const std::wstring& exe_file) {
  platform.App = MakeAppFacts(exe_file);
  platform.messages = &messages;
  platform.files = &files;
  files.profile = &profile;
  platform.profile = &profile;
  platform.processes = &processes;
  platform.environment = &environment;
  platform.word = &word;
  platform.dialog = &dialog;
  platform.registry = &registry;
  platform.shell = &shell;
  platform.window = &window;
  platform.associations = &associations;
}

void FakePlatform::WriteSettings(const std::wstring& word_path, const std::wstring& text_path) {
  const std::wstring file = ini::SettingsFile(platform.App);
  profile.values[FakeProfile::MakeKey(file, ini::kExeSection, ini::kWordKey)] = word_path;
  profile.values[FakeProfile::MakeKey(file, ini::kExeSection, ini::kTextKey)] = text_path;
}

}  // namespace talvern
