#include "settings/ini.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

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

}  // namespace
}  // namespace talvern
