#include "settings/ini.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_platform.h"

namespace talvern {
namespace {

TEST(IniTest, SettingsFileLiesBesideTheExecutable) {
  EXPECT_EQ(ini::SettingsFile(MakeAppFacts(L"C:\\Tools\\talvern.exe")), L"C:\\Tools\\Data.ini");
  EXPECT_EQ(ini::SettingsFile(MakeAppFacts(L"C:\\talvern.exe")), L"C:\\Data.ini");
  EXPECT_EQ(ini::AppFolder(MakeAppFacts(L"C:\\talvern.exe")), L"C:\\");
}

TEST(IniTest, ReadsAndWritesTheSettingsFileBesideTheExecutable) {
  FakePlatform fake(L"D:\\Apps\\talvern.exe");
  EXPECT_EQ(ini::ReadSetting(fake.platform, L"EXE", L"WORD"), L"");
  EXPECT_NE(ini::WriteSetting(fake.platform, L"EXE", L"WORD", L"C:\\w.exe"), 0);
  EXPECT_EQ(fake.profile.Read(L"D:\\Apps\\Data.ini", L"exe", L"word"), L"C:\\w.exe");
  EXPECT_EQ(ini::ReadSetting(fake.platform, L"EXE", L"WORD"), L"C:\\w.exe");
}

TEST(IniTest, RefusedWriteReturnsZeroAndTheReason) {
  FakePlatform fake;
  fake.profile.fail_reason = L"WritePrivateProfileStringW: Access is denied.";
  std::wstring why;
  EXPECT_EQ(ini::WriteSetting(fake.platform, L"EXE", L"TEXT", L"C:\\t.exe", &why), 0);
  EXPECT_EQ(why, L"WritePrivateProfileStringW: Access is denied.");
  EXPECT_EQ(ini::WriteSetting(fake.platform, L"EXE", L"TEXT", L"C:\\t.exe"), 0);
  EXPECT_TRUE(fake.profile.values.empty());
}

TEST(IniTest, ValueTheCodePageCannotHoldIsRefusedBeforeAnythingIsWritten) {
  for (const wchar_t* section : {L"EXE", L"한"}) {
    FakePlatform fake;
    fake.profile.unstorable = L"한";
    std::wstring why;
    EXPECT_EQ(ini::WriteSetting(fake.platform, section, L"WORD", L"C:\\한\\w.exe", &why), 0);
    EXPECT_EQ(why, L"unstorable character");
    EXPECT_TRUE(fake.profile.values.empty()) << section;
  }
}

class SaveSettingsTest : public ::testing::Test {
 protected:
  SaveSettingsTest() { fake.WriteSettings(L"C:\\old\\word.exe", L"C:\\old\\text.exe"); }

  bool Save(const std::vector<ini::Setting>& settings) {
    return ini::SaveSettings(fake.platform, settings, &failure);
  }
  std::wstring Stored(const wchar_t* section, const wchar_t* key) {
    return fake.profile.Contains(kFile, section, key) ? fake.profile.Read(kFile, section, key)
                                                      : L"(absent)";
  }

  const wchar_t* const kFile = L"C:\\Tools\\Data.ini";
  const std::vector<ini::Setting> kNew = {{L"EXE", L"WORD", L"C:\\new\\word.exe"},
                                          {L"EXE", L"TEXT", L"C:\\new\\text.exe"}};
  FakePlatform fake;
  ini::SaveFailure failure;
};

TEST_F(SaveSettingsTest, WritesEverySettingInOrder) {
  EXPECT_TRUE(Save({{L"EXE", L"WORD", L"C:\\new\\word.exe"},
                    {L"EXE", L"TEXT", L""},
                    {L"OPTION", L"WORDFORMATS", L"1"}}));
  using Write = std::tuple<std::wstring, std::wstring, std::wstring>;
  EXPECT_EQ(fake.profile.writes, (std::vector<Write>{{L"EXE", L"WORD", L"C:\\new\\word.exe"},
                                                     {L"EXE", L"TEXT", L""},
                                                     {L"OPTION", L"WORDFORMATS", L"1"}}));
  EXPECT_EQ(Stored(L"EXE", L"TEXT"), L"");
}

// Any setting the code page cannot hold stops the save before the first write.
TEST_F(SaveSettingsTest, EverySettingIsCheckedBeforeAnyIsWritten) {
  fake.profile.unstorable = L"😀";
  for (std::size_t bad = 0; bad != kNew.size(); ++bad) {
    std::vector<ini::Setting> settings = kNew;
    settings[bad].value += L"😀";
    failure = {};
    EXPECT_FALSE(Save(settings));
    EXPECT_EQ(failure.key, settings[bad].key);
    EXPECT_EQ(failure.reason, L"unstorable character");
    EXPECT_TRUE(failure.restored.empty());
  }
  EXPECT_TRUE(fake.profile.writes.empty());
  EXPECT_EQ(Stored(L"EXE", L"WORD"), L"C:\\old\\word.exe");
}

// The second write fails: the first key gets back what it held before, or its absence.
TEST_F(SaveSettingsTest, FailedWritePutsBackTheKeysWrittenBeforeIt) {
  const struct {
    const char* label;
    bool word_before;
  } rows[] = {{"WORD held a value", true}, {"WORD was absent", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    fake.profile = FakeProfile();
    fake.WriteSettings(L"C:\\old\\word.exe", L"C:\\old\\text.exe");
    if (!row.word_before) fake.profile.values.erase(FakeProfile::MakeKey(kFile, L"EXE", L"WORD"));
    fake.profile.key_failures[L"text"] = L"WritePrivateProfileStringW: disk full";
    failure = {};
    EXPECT_FALSE(Save(kNew));
    EXPECT_EQ(failure.key, L"TEXT");
    EXPECT_EQ(failure.reason, L"WritePrivateProfileStringW: disk full");
    EXPECT_EQ(failure.restored, std::vector<std::wstring>{L"WORD"});
    EXPECT_TRUE(failure.unrestored.empty());
    EXPECT_EQ(Stored(L"EXE", L"WORD"), row.word_before ? L"C:\\old\\word.exe" : L"(absent)");
    EXPECT_EQ(Stored(L"EXE", L"TEXT"), L"C:\\old\\text.exe");
    EXPECT_EQ(fake.profile.deletes.size(), row.word_before ? 0u : 1u);
    EXPECT_TRUE(fake.profile.removed.empty());
  }
}

// A first save that fails half-way leaves no settings file: its mere existence would turn
// the next start with documents into dispatch with empty paths.
TEST_F(SaveSettingsTest, FileTheFailedSaveCreatedIsRemovedAgain) {
  fake.profile = FakeProfile();
  fake.profile.key_failures[L"text"] = L"WritePrivateProfileStringW: disk full";
  EXPECT_FALSE(Save(kNew));
  EXPECT_EQ(failure.restored, std::vector<std::wstring>{L"WORD"});
  EXPECT_TRUE(failure.unrestored.empty());
  EXPECT_EQ(fake.profile.removed, std::vector<std::wstring>{kFile});
  EXPECT_FALSE(fake.files.FileExists(kFile));
}

TEST_F(SaveSettingsTest, KeysAreRestoredLastWrittenFirst) {
  fake.profile.key_failures[L"WORDFORMATS"] = L"refused";
  std::vector<ini::Setting> settings = kNew;
  settings.push_back({L"OPTION", L"WORDFORMATS", L"1"});
  EXPECT_FALSE(Save(settings));
  EXPECT_EQ(failure.restored, (std::vector<std::wstring>{L"TEXT", L"WORD"}));
  EXPECT_EQ(Stored(L"EXE", L"WORD"), L"C:\\old\\word.exe");
  EXPECT_EQ(Stored(L"EXE", L"TEXT"), L"C:\\old\\text.exe");
  EXPECT_EQ(Stored(L"OPTION", L"WORDFORMATS"), L"(absent)");
}

TEST_F(SaveSettingsTest, KeyThatCannotBePutBackIsNamedWithItsReason) {
  fake.profile.writes_allowed = 1;  // WORD goes through; TEXT and the restoring do not
  EXPECT_FALSE(Save(kNew));
  EXPECT_EQ(failure.key, L"TEXT");
  EXPECT_TRUE(failure.restored.empty());
  EXPECT_EQ(failure.unrestored, std::vector<std::wstring>{L"WORD: write refused"});
  EXPECT_EQ(Stored(L"EXE", L"WORD"), L"C:\\new\\word.exe");
}

}  // namespace
}  // namespace talvern
