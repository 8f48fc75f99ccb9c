#include "shell/verb.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_platform.h"

namespace talvern {
namespace {

const wchar_t kShell[] = L"Word.Document.8\\shell";
const wchar_t kVerb[] = L"Word.Document.8\\shell\\TVern";
const wchar_t kCommand[] = L"Word.Document.8\\shell\\TVern\\command";
const wchar_t kSetDone[] = L"関連付けを設定しました";
const wchar_t kRemoveDone[] = L"関連付けを解除しました\r\n関連付けを標準に戻しました";

constexpr KeyRoot kAllRoots[] = {KeyRoot::kClasses, KeyRoot::kMachineClasses,
                                 KeyRoot::kUserClasses};

class VerbTest : public ::testing::Test {
 protected:
  VerbTest() : fake_(L"C:\\Program Files\\Talvern\\talvern.exe") {
    fake_.associations.programs[{L".doc", L""}] = {fake_.platform.App.ExeFile, L"Talvern"};
    fake_.registry.keys[{KeyRoot::kUserSoftware, L"classes"}] = L"";
  }

  std::wstring Value(KeyRoot root, const std::wstring& key) {
    auto found = fake_.registry.keys.find({root, key});
    return found == fake_.registry.keys.end() ? L"(absent)" : found->second.text();
  }
  void ExpectInstalledFor(KeyRoot root) {
    EXPECT_EQ(Value(root, L"word.document.8\\shell\\tvern"), L"判別");
    EXPECT_EQ(Value(root, L"word.document.8\\shell\\tvern\\command"),
              L"\"C:\\Program Files\\Talvern\\talvern.exe\" %1");
    EXPECT_EQ(Value(root, L"word.document.8\\shell"), L"TVern");
  }
  void ExpectNoVerbAnywhere() {
    for (KeyRoot root : kAllRoots) {
      EXPECT_FALSE(fake_.registry.Has(root, kVerb)) << static_cast<int>(root);
      EXPECT_FALSE(fake_.registry.Has(root, kCommand)) << static_cast<int>(root);
    }
  }
  const ShownMessage& LastMessage() { return fake_.messages.shown.back(); }
  /// The verb as an earlier version left it for the whole machine.
  void PlantMachineWideVerb() {
    fake_.registry.keys[{KeyRoot::kMachineClasses, L"word.document.8\\shell"}] = L"TVern";
    fake_.registry.keys[{KeyRoot::kMachineClasses, L"word.document.8\\shell\\tvern"}] = L"判別";
    fake_.registry.keys[{KeyRoot::kMachineClasses, L"word.document.8\\shell\\tvern\\command"}] =
        L"\"C:\\Old\\talvern.exe\" %1";
  }

  FakePlatform fake_;
};

TEST_F(VerbTest, SetWritesVerbThenCommandThenDefaultPerUserAndSaysSo) {
  SetAssociation(fake_.platform);
  const std::vector<std::wstring>& log = fake_.registry.log;
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(std::vector<std::wstring>(log.end() - 4, log.end()),
            (std::vector<std::wstring>{
                L"set HKCU Word.Document.8\\shell\\TVern=判別",
                L"set HKCU Word.Document.8\\shell\\TVern:MultiSelectModel=Player",
                L"set HKCU Word.Document.8\\shell\\TVern\\command="
                L"\"C:\\Program Files\\Talvern\\talvern.exe\" %1",
                L"set HKCU Word.Document.8\\shell=TVern",
            }));
  for (const std::wstring& line : log) EXPECT_EQ(line.find(L"HKLM"), std::wstring::npos) << line;
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_EQ(LastMessage().prompt, kSetDone);
  EXPECT_EQ(LastMessage().icon, MsgIcon::kInformation);
  EXPECT_EQ(LastMessage().title, L"Talvern");
  EXPECT_EQ(fake_.associations.notified, 1);
}

TEST_F(VerbTest, RemoveWithoutEarlierSetWritesNothingAndSaysSo) {
  fake_.registry.keys[{KeyRoot::kUserSoftware, L"registeredapplications"}] = L"";  // Windows'
  RemoveAssociation(fake_.platform);
  EXPECT_EQ(fake_.registry.log, std::vector<std::wstring>());
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_EQ(LastMessage().prompt, L"解除する関連付けはありませんでした。");
  EXPECT_EQ(LastMessage().icon, MsgIcon::kInformation);
  EXPECT_EQ(LastMessage().title, L"Talvern");
}

TEST_F(VerbTest, RemoveDeletesCommandBeforeVerbSoNothingStaysBehind) {
  SetAssociation(fake_.platform);
  fake_.registry.log.clear();
  RemoveAssociation(fake_.platform);
  std::vector<std::wstring> log;  // of the verb's keys
  for (const std::wstring& line : fake_.registry.log) {
    if (line.find(L"Word.Document.8") != std::wstring::npos) log.push_back(line);
  }
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(std::vector<std::wstring>(log.begin(), log.begin() + 3),
            (std::vector<std::wstring>{
                L"delete HKCU Word.Document.8\\shell:",
                L"delete HKCU Word.Document.8\\shell\\TVern\\command",
                L"delete HKCU Word.Document.8\\shell\\TVern",
            }));
  ExpectNoVerbAnywhere();
  EXPECT_FALSE(fake_.registry.Has(KeyRoot::kUserClasses, L"Word.Document.8"));
  EXPECT_EQ(LastMessage().prompt, kRemoveDone);
}

// The user's own default verb and an empty key of the type, there before the first of two
// sets, are back after the removal; without the set's record (an earlier version's
// registration) the removal deletes Talvern's default verb and the keys it left empty.
TEST_F(VerbTest, RemoveGivesBackWhatTheSetRecordedItReplaced) {
  for (bool recorded : {true, false}) {
    FakePlatform fake(fake_.platform.App.ExeFile);
    auto& keys = fake.registry.keys;
    const std::pair<KeyRoot, std::wstring> shell = {KeyRoot::kUserClasses,
                                                    L"word.document.8\\shell"},
                                           type = {KeyRoot::kUserSoftware, L"classes\\.doc"};
    keys[shell] = L"Edit";
    keys[type] = L"";
    SetAssociation(fake.platform);
    SetAssociation(fake.platform);
    std::wstring error;
    if (!recorded) fake.registry.DeleteKey(KeyRoot::kUserSoftware, L"Talvern\\Replaced", &error);
    RemoveAssociation(fake.platform);
    EXPECT_EQ(keys.count(shell), recorded ? 1u : 0u);
    EXPECT_EQ(keys[shell], recorded ? L"Edit" : L"");
    EXPECT_EQ(keys.count(type), recorded ? 1u : 0u);
    EXPECT_EQ(keys.count({KeyRoot::kUserSoftware, L"talvern"}), 0u);
  }
}

TEST_F(VerbTest, SetRemoveSetInstallsTheVerbAgain) {
  SetAssociation(fake_.platform);
  RemoveAssociation(fake_.platform);
  SetAssociation(fake_.platform);
  ExpectInstalledFor(KeyRoot::kUserClasses);
  ASSERT_EQ(fake_.messages.shown.size(), 3u);
  for (const ShownMessage& shown : fake_.messages.shown) {
    EXPECT_EQ(shown.icon, MsgIcon::kInformation) << shown.prompt;
  }
  EXPECT_EQ(fake_.messages.shown[2].prompt, kSetDone);
}

TEST_F(VerbTest, SetAfterMovingTheExecutableUpdatesTheCommand) {
  SetAssociation(fake_.platform);
  fake_.platform.App = MakeAppFacts(L"E:\\Moved\\tv2.exe");
  SetAssociation(fake_.platform);
  EXPECT_EQ(fake_.registry.MergedValue(kCommand), L"\"E:\\Moved\\tv2.exe\" %1");
}

TEST_F(VerbTest, BothRefusedGivesCriticalMessageNamingKeyAndReason) {
  fake_.registry.keys[{KeyRoot::kUserClasses, L"word.document.8\\shell"}] = L"TVern";
  fake_.registry.read_only = {KeyRoot::kUserClasses};
  SetAssociation(fake_.platform);
  RemoveAssociation(fake_.platform);
  ASSERT_EQ(fake_.messages.shown.size(), 2u);
  for (const ShownMessage& shown : fake_.messages.shown) {
    EXPECT_EQ(shown.icon, MsgIcon::kCritical) << shown.prompt;
    EXPECT_EQ(shown.title, L"Talvern");
    EXPECT_NE(shown.prompt.find(L"Access is denied."), std::wstring::npos) << shown.prompt;
  }
  EXPECT_EQ(fake_.messages.shown[0].prompt.find(L"関連付けを設定できませんでした"), 0u);
  EXPECT_NE(fake_.messages.shown[0].prompt.find(
                L"HKEY_CURRENT_USER\\Software\\Classes\\Word.Document.8\\shell\\TVern"),
            std::wstring::npos);
  EXPECT_EQ(fake_.messages.shown[1].prompt.find(L"関連付けを解除できませんでした"), 0u);
  EXPECT_NE(fake_.messages.shown[1].prompt.find(
                L"HKEY_CURRENT_USER\\Software\\Classes\\Word.Document.8\\shell\r\n"),
            std::wstring::npos);
  // The per-user candidate keys were written and undone; only what was there stays.
  EXPECT_EQ(fake_.registry.keys.size(), 2u);
  EXPECT_TRUE(fake_.registry.values.empty());
  EXPECT_EQ(fake_.associations.notified, 0);
}

TEST_F(VerbTest, SetLeavesAnEarlierMachineWideVerbAndRemoveDeletesIt) {
  PlantMachineWideVerb();
  const auto machine_wide = fake_.registry.keys;
  SetAssociation(fake_.platform);
  ExpectInstalledFor(KeyRoot::kUserClasses);
  for (const auto& key : machine_wide)
    EXPECT_EQ(Value(key.first.first, key.first.second), key.second);
  RemoveAssociation(fake_.platform);
  ExpectNoVerbAnywhere();
  EXPECT_FALSE(fake_.registry.Has(KeyRoot::kUserClasses, kShell));
  EXPECT_EQ(Value(KeyRoot::kMachineClasses, L"word.document.8\\shell"), L"Open");
  EXPECT_EQ(LastMessage().prompt, kRemoveDone);
  // Half removed (its command gone): the verb's own key is enough to know it by.
  PlantMachineWideVerb();
  fake_.registry.keys.erase({KeyRoot::kMachineClasses, L"word.document.8\\shell\\tvern\\command"});
  RemoveAssociation(fake_.platform);
  ExpectNoVerbAnywhere();
  EXPECT_EQ(LastMessage().prompt, kRemoveDone);
}

TEST_F(VerbTest, MachineWideVerbThatCannotGoIsReportedAfterCleaningPerUser) {
  PlantMachineWideVerb();
  fake_.registry.read_only = {KeyRoot::kMachineClasses};
  SetAssociation(fake_.platform);
  RemoveAssociation(fake_.platform);
  EXPECT_FALSE(fake_.registry.Has(KeyRoot::kUserClasses, kShell));
  EXPECT_FALSE(fake_.registry.Has(KeyRoot::kUserClasses, kVerb));
  EXPECT_FALSE(fake_.registry.Has(KeyRoot::kUserClasses, kCommand));
  EXPECT_TRUE(fake_.registry.Has(KeyRoot::kMachineClasses, kCommand));
  ASSERT_EQ(fake_.messages.shown.size(), 2u);
  EXPECT_EQ(LastMessage().icon, MsgIcon::kCritical);
  EXPECT_EQ(LastMessage().prompt,
            L"関連付けを解除できませんでした。\r\n"
            L"HKEY_LOCAL_MACHINE\\Software\\Classes\\Word.Document.8\\shell\r\n"
            L"RegCreateKeyExW: Access is denied.\r\n" +
                std::wstring(kMachineWideAdvice));
}

TEST_F(VerbTest, SetSaysWhatADoubleClickNowRunsAndOffersTheDefaultAppsPage) {
  const wchar_t kAsks[] = L"Windows が尋ねます";
  const wchar_t kWindows10[] = L"「ファイルの種類ごとに既定のアプリを選ぶ」";
  const wchar_t kWindows11[] = L"Talvern のページの .doc をクリックし、Talvern を選んで確定";
  const wchar_t kCannotOpen[] = L"「既定のアプリ」の設定を開けませんでした。\r\nno handler";
  const wchar_t kPage[] = L"ms-settings:defaultapps?registeredAppUser=Talvern";
  const wchar_t kSoffice[] = L"D:\\LO\\soffice.exe";
  const wchar_t kLibreOffice[] =
      L"今は LibreOffice (D:\\LO\\soffice.exe) が開きます。\r\nTalvern で開くには、.doc";
  const wchar_t kSofficeFull[] = L"今は soffice.exe (D:\\LO\\soffice.exe) が開きます";
  // The "Open with" dialog's last step by Windows generation.
  const wchar_t kCheckBox[] = L"Talvern を選び、「常にこのアプリを使って .doc ファイルを開く」";
  const wchar_t kBoth[] = L"「常に」を押すか、「常にこのアプリを使って";
  const wchar_t kButton[] = L"Talvern を選び、「常に」を押してください。";
  const wchar_t kWindows7[] = L"「既定のプログラムの選択...」";
  struct Row {
    const wchar_t* executable = nullptr;  // null: nothing is associated
    const wchar_t* friendly_name = L"";
    int build = 0;  // below 10240 (Windows 10): no Settings app
    bool yes = true;
    const wchar_t* open_error = L"";
    const wchar_t* says = L"";       // empty: the plain message
    const wchar_t* open_with = L"";  // the "Open with" steps' label, if they are given
    MsgIcon icon = MsgIcon::kInformation;
    // `program` empty: a handler without an executable (a packaged app), known by `name`.
    Row& Runs(const wchar_t* program, const wchar_t* name = L"") {
      return executable = program, friendly_name = name, *this;
    }
    Row& On(int windows_build) { return build = windows_build, *this; }
    Row& AnsweredNo() { return yes = false, *this; }
    Row& PageFails() { return open_error = L"no handler", *this; }
    Row& Tells(const wchar_t* text) { return says = text, *this; }
    Row& Warns(const wchar_t* text) { return says = text, icon = MsgIcon::kExclamation, *this; }
    Row& Fails(const wchar_t* text) { return says = text, icon = MsgIcon::kCritical, *this; }
    Row& Steps(const wchar_t* label) { return open_with = label, *this; }
  } rows[] = {
      Row().Runs(L"C:\\PROGRAM FILES\\TALVERN\\TALVERN.EXE").On(22000),
      Row().Runs(L"C:\\Windows\\system32\\OpenWith.exe").Tells(kAsks),
      Row().Runs(kSoffice, L"LibreOffice").Warns(kLibreOffice).Steps(kCheckBox),
      Row().Runs(kSoffice).On(7601).Warns(kSofficeFull).Steps(kWindows7),
      Row().Runs(kSoffice).On(9200).Warns(L"今は soffice.exe").Steps(kCheckBox),
      Row().On(19045).Tells(kWindows10),
      Row().Runs(L"", L"フォト").On(22000).AnsweredNo().Warns(kWindows11),
      Row().Runs(kSoffice).On(22000).PageFails().Fails(kCannotOpen).Steps(kBoth),
      Row().Runs(kSoffice).On(22621).PageFails().Fails(kCannotOpen).Steps(kButton),
  };
  for (const Row& row : rows) {
    FakePlatform fake(L"C:\\Program Files\\Talvern\\talvern.exe");
    if (row.executable) {
      fake.associations.programs[{L".doc", L""}] = {row.executable, row.friendly_name};
    }
    const bool settings_app = row.build >= 10240;
    if (settings_app) fake.registry.keys[{KeyRoot::kMachineClasses, L"ms-settings"}];
    fake.platform.App.WindowsBuild = row.build;
    fake.messages.answers = {row.yes};
    fake.shell.open_error = row.open_error;
    ReportDoubleClick(fake.platform);
    const ShownMessage& first = fake.messages.shown.front();
    const std::wstring& prompt = fake.messages.shown.back().prompt;
    EXPECT_EQ(first.prompt.rfind(kSetDone, 0), 0u) << first.prompt;
    EXPECT_EQ(*row.says ? prompt.find(row.says) != std::wstring::npos : prompt == kSetDone, true)
        << prompt;
    EXPECT_EQ(prompt.find(L"「プログラムから開く」") != std::wstring::npos, *row.open_with != 0)
        << prompt;
    EXPECT_NE(prompt.find(row.open_with), std::wstring::npos) << prompt;
    EXPECT_EQ(fake.messages.shown.back().icon, row.icon) << prompt;
    // Only a question that was answered Yes opens the page.
    const bool asked = first.question;
    EXPECT_EQ(asked, settings_app && *row.says) << prompt;
    const bool opened = asked && row.yes && !*row.open_error;
    EXPECT_EQ(fake.shell.opened,
              opened ? std::vector<std::wstring>{kPage} : std::vector<std::wstring>())
        << prompt;
  }
}

TEST_F(VerbTest, RefusedWriteLeavesTheRegistryAsItWas) {
  const wchar_t* const refused[] = {
      L"classes\\talvern.document",
      L"classes\\talvern.document\\defaulticon",
      L"classes\\talvern.document\\shell\\open\\command",
      L"classes\\talvern.document\\shell\\open",
      L"talvern\\capabilities",
      L"talvern\\capabilities\\fileassociations",
      L"classes\\.doc\\openwithprogids",
      L"registeredapplications",
      L"word.document.8\\shell\\tvern",
      L"word.document.8\\shell\\tvern\\command",
      L"word.document.8\\shell",
  };
  for (int run = 0; run < 2; ++run) {  // set before or not
    fake_.platform.App = MakeAppFacts(L"C:\\Old\\talvern.exe");
    if (run == 1) SetAssociation(fake_.platform);
    fake_.platform.App = MakeAppFacts(L"D:\\New\\talvern.exe");
    const auto keys = fake_.registry.keys;
    const auto values = fake_.registry.values;
    for (const wchar_t* key : refused) {
      fake_.registry.refused = {key};
      SetAssociation(fake_.platform);
      EXPECT_EQ(fake_.registry.keys, keys) << key;
      EXPECT_EQ(fake_.registry.values, values) << key;
      EXPECT_EQ(LastMessage().icon, MsgIcon::kCritical) << key;
      EXPECT_EQ(LastMessage().prompt.rfind(L"関連付けを設定できませんでした。\r\n", 0), 0u);
      EXPECT_EQ(LastMessage().prompt.find(L"元に戻せなかった"), std::wstring::npos) << key;
    }
    fake_.registry.refused.clear();
  }
}

}  // namespace
}  // namespace talvern
