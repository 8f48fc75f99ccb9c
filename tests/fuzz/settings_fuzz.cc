// The strings Talvern stores: settings (written alone or saved all or nothing), the verb's
// command line, the verb's registry keys and the SendTo shortcut. Each is checked by what
// a reader finds afterwards, not by how it was written.
#include <cstdint>
#include <string>
#include <vector>

#include "launcher/arguments.h"
#include "tests/fakes/fake_platform.h"
#include "platform/paths.h"
#include "settings/ini.h"
#include "shell/reg.h"
#include "shell/sendto.h"
#include "shell/verb.h"
#include "tests/fuzz/fuzz_support.h"

namespace talvern {
namespace {

// Paths with characters the code page lacks (한, 〜) among ordinary ones.
const std::wstring kValueAlphabet = L"C:\\ab.exe 表ソ한〜\"";
// What a settings file can hold already: it was read through the code page.
const std::wstring kStoredAlphabet = L"C:\\ab.exe 表ソ?";
const wchar_t* const kKeys[] = {L"WORD", L"TEXT", L"word", L"Other"};

/// A settings store in some state of trouble: absent or present keys, characters it
/// cannot hold, a file that refuses writes, one key that fails, a write budget.
void SetUpProfile(FuzzedDataProvider& in, FakePlatform& fake) {
  const std::wstring file = ini::SettingsFile(fake.platform.App);
  for (const wchar_t* key : kKeys) {
    if (in.ConsumeBool()) {
      fake.profile.values[FakeProfile::MakeKey(file, L"EXE", key)] =
          fuzz::ConsumeText(in, kStoredAlphabet, 8);
    }
  }
  fake.profile.unstorable = L"한〜";
  switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
      fake.profile.fail_reason = L"WritePrivateProfileStringW: Access is denied.";
      break;
    case 1:
      fake.profile.key_failures[fuzz::Pick(in, kKeys)] = L"The process cannot access the file.";
      break;
    case 2:
      fake.profile.writes_allowed = in.ConsumeIntegralInRange<int>(0, 4);
      break;
    default:
      break;
  }
}

/// One key written alone: read back exactly on success; refused, it changes nothing.
void CheckWriteSetting(FuzzedDataProvider& in) {
  FakePlatform fake;
  SetUpProfile(in, fake);
  const std::wstring key = fuzz::Pick(in, kKeys);
  const std::wstring value = fuzz::ConsumeText(in, kValueAlphabet, 12);
  const auto before = fake.profile.values;
  std::wstring why;
  if (ini::WriteSetting(fake.platform, L"EXE", key, value, &why) != 0) {
    FUZZ_CHECK(ini::ReadSetting(fake.platform, L"EXE", key) == value, key + L"=" + value);
    auto after = fake.profile.values;
    after.erase(FakeProfile::MakeKey(ini::SettingsFile(fake.platform.App), L"EXE", key));
    auto others = before;
    others.erase(FakeProfile::MakeKey(ini::SettingsFile(fake.platform.App), L"EXE", key));
    FUZZ_CHECK(after == others, key + L"=" + value);
  } else {
    FUZZ_CHECK(fake.profile.values == before, key + L"=" + value);
    FUZZ_CHECK(!why.empty(), key + L"=" + value);
  }
}

/// A save of several keys: on success every key reads back its (last) value and nothing
/// else changed; on failure the file is as before, but for keys the message names as not
/// put back.
void CheckSaveSettings(FuzzedDataProvider& in) {
  FakePlatform fake;
  SetUpProfile(in, fake);
  std::vector<ini::Setting> settings(in.ConsumeIntegralInRange<std::size_t>(1, 3));
  std::wstring shown;
  for (ini::Setting& setting : settings) {
    setting = {L"EXE", fuzz::Pick(in, kKeys), fuzz::ConsumeText(in, kValueAlphabet, 10)};
    shown += setting.key + L"=" + setting.value + L"; ";
  }
  const std::wstring file = ini::SettingsFile(fake.platform.App);
  auto expected = fake.profile.values;
  ini::SaveFailure failure;
  if (ini::SaveSettings(fake.platform, settings, &failure)) {
    for (const ini::Setting& setting : settings) {
      expected[FakeProfile::MakeKey(file, setting.section, setting.key)] = setting.value;
    }
    FUZZ_CHECK(fake.profile.values == expected, shown);
    return;
  }
  FUZZ_CHECK(!failure.key.empty() && !failure.reason.empty(), shown);
  for (const std::wstring& unrestored : failure.unrestored) {
    const std::wstring key = unrestored.substr(0, unrestored.find(L':'));
    const auto name = FakeProfile::MakeKey(file, L"EXE", key);
    expected.erase(name);
    if (fake.profile.values.count(name)) expected[name] = fake.profile.values[name];
  }
  FUZZ_CHECK(fake.profile.values == expected, shown);
}

/// The verb's command line, run by the shell with a document pasted for %1 as it is (no
/// quotes), gives back exactly that document; so does the older unquoted form.
void CheckVerbCommandLine(FuzzedDataProvider& in) {
  const AppFacts app = MakeAppFacts(fuzz::ConsumePath(in) + L"\\talvern.exe");
  const std::wstring document = fuzz::ConsumePath(in);
  const std::wstring verb = reg::CommandValue(app.ExeFile);
  const std::size_t placeholder = verb.find(L"%1");
  FUZZ_CHECK(
      placeholder != std::wstring::npos && verb.find(L"%1", placeholder + 1) == std::wstring::npos,
      verb);
  const std::wstring lines[] = {
      verb.substr(0, placeholder) + document + verb.substr(placeholder + 2),
      app.ExeFile + L" " + document,
  };
  for (const std::wstring& line : lines) {
    std::vector<std::wstring> args = SplitAtSpaces(
        ArgumentText(line, app.ExeFile, [&] { return std::vector<std::wstring>{app.ExeFile}; }));
    std::vector<std::wstring> documents;
    for (std::size_t i = 0; i != args.size(); ++i) {
      const std::wstring next = NextDocument(args, &i);
      if (!next.empty()) documents.push_back(next);
    }
    FUZZ_CHECK(documents == std::vector<std::wstring>{document},
               line + L" -> " + fuzz::Listed(documents));
  }
}

const wchar_t kShellKey[] = L"Word.Document.8\\shell";
const wchar_t kVerbKey[] = L"Word.Document.8\\shell\\TVern";
const wchar_t kCommandKey[] = L"Word.Document.8\\shell\\TVern\\command";

/// Setting and removing the association in any order, over classes that may already hold
/// keys and may refuse writes: a reported success is what the merged view shows, and the
/// default verb never names a verb without its command.
void CheckAssociation(FuzzedDataProvider& in) {
  FakePlatform fake(fuzz::ConsumePath(in) + L"\\talvern.exe");
  FakeRegistry& registry = fake.registry;
  const wchar_t* const kKeysThere[] = {kShellKey, kVerbKey, kCommandKey};
  const wchar_t* const kValues[] = {L"Open", L"TVern", L"判別", L"old"};
  for (KeyRoot root : {KeyRoot::kUserClasses, KeyRoot::kMachineClasses}) {
    for (std::size_t k = in.ConsumeIntegralInRange<std::size_t>(0, 3); k != 0; --k) {
      std::wstring ignored;
      registry.Set(root, fuzz::Pick(in, kKeysThere), L"", RawValue::Text(fuzz::Pick(in, kValues)), &ignored);
    }
    if (in.ConsumeIntegralInRange<int>(0, 3) == 0) registry.read_only.insert(root);
  }
  const std::wstring command = reg::CommandValue(fake.platform.App.ExeFile);
  // Neither classes' default verb names a verb without its command: once that holds there
  // (the user's: or after a success), no step breaks it. A removal shows the machine's.
  const auto whole = [&](KeyRoot root) {
    std::wstring verb;
    return !reg::DefaultText(registry, root, kShellKey, &verb) || verb != L"TVern" ||
           registry.Has(root, kCommandKey);
  };
  for (std::size_t step = in.ConsumeIntegralInRange<std::size_t>(1, 4); step != 0; --step) {
    const bool user_before = whole(KeyRoot::kUserClasses);
    const bool machine_before = whole(KeyRoot::kMachineClasses);
    const bool set = in.ConsumeBool();
    const std::size_t messages = fake.messages.shown.size();
    if (set) {
      SetAssociation(fake.platform);
    } else {
      RemoveAssociation(fake.platform);
    }
    FUZZ_CHECK(fake.messages.shown.size() == messages + 1, command);
    const ShownMessage& shown = fake.messages.shown.back();
    const std::wstring what = shown.prompt + L"\n" + fuzz::Listed(registry.log);
    if (shown.icon == MsgIcon::kInformation && set) {
      FUZZ_CHECK(registry.MergedValue(kShellKey) == L"TVern", what);
      FUZZ_CHECK(registry.MergedValue(kVerbKey) == L"判別", what);
      FUZZ_CHECK(registry.MergedValue(kCommandKey) == command, what);
    } else if (shown.icon == MsgIcon::kInformation) {
      FUZZ_CHECK(registry.MergedValue(kShellKey) != L"TVern", what);
      // A machine-wide verb stays only when it is no Talvern's.
      FUZZ_CHECK(!registry.Has(KeyRoot::kUserClasses, kVerbKey) &&
                     !registry.Has(KeyRoot::kUserClasses, kCommandKey) &&
                     reg::NamedExecutable(registry.MergedValue(kCommandKey)).empty(),
                 what);
    } else {
      FUZZ_CHECK(shown.icon == MsgIcon::kCritical, what);
    }
    if (user_before || shown.icon == MsgIcon::kInformation)
      FUZZ_CHECK(whole(KeyRoot::kUserClasses), what);
    if (machine_before) FUZZ_CHECK(whole(KeyRoot::kMachineClasses), what);
  }
}

/// The SendTo shortcut lands in the folder, named "TVern.lnk" after exactly one "\", aimed
/// at the running executable; a failure is reported and leaves no link.
void CheckSendTo(FuzzedDataProvider& in) {
  FakePlatform fake(fuzz::ConsumePath(in) + L"\\talvern.exe");
  if (in.ConsumeIntegralInRange<int>(0, 3) != 0) {
    fake.shell.send_to = fuzz::ConsumePath(in) + (in.ConsumeBool() ? L"\\" : L"");
  }
  if (in.ConsumeIntegralInRange<int>(0, 3) == 0)
    fake.shell.write_error = L"Save: Access is denied.";
  CreateSendToShortcut(fake.platform);
  FUZZ_CHECK(fake.messages.shown.size() == 1, fake.shell.send_to);
  const bool made = !fake.shell.send_to.empty() && fake.shell.write_error.empty();
  FUZZ_CHECK(fake.messages.shown[0].icon == (made ? MsgIcon::kInformation : MsgIcon::kCritical),
             fake.shell.send_to);
  if (!made) {
    FUZZ_CHECK(fake.shell.links.empty(), fake.shell.send_to);
    return;
  }
  const std::wstring folder = AddPathSeparator(fake.shell.send_to);
  FUZZ_CHECK(fake.shell.links.size() == 1, folder);
  FUZZ_CHECK(fake.shell.links.begin()->first == folder + L"TVern.lnk", folder);
  FUZZ_CHECK(folder.find(L"\\\\", 2) == std::wstring::npos, folder);
  FUZZ_CHECK(fake.shell.links.begin()->second == fake.platform.App.ExeFile, folder);
}

void Run(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
      return CheckWriteSetting(in);
    case 1:
      return CheckSaveSettings(in);
    case 2:
      return CheckVerbCommandLine(in);
    case 3:
      return CheckAssociation(in);
    default:
      return CheckSendTo(in);
  }
}

}  // namespace
}  // namespace talvern

TALVERN_FUZZ_TARGET(talvern::Run)
