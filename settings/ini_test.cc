#include "settings/ini.h"

#include <gtest/gtest.h>

#include "launcher/module1.h"
#include "platform/fake_platform.h"

namespace talvern {
namespace {

TEST(AddPathSeparatorTest, AppendsExactlyOneBackslash) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } rows[] = {
      {L"", L"\\"},
      {L"C:\\", L"C:\\"},
      {L"C:\\Tools", L"C:\\Tools\\"},
      {L"C:\\Tools\\", L"C:\\Tools\\"},
      {L"C:\\Tools/", L"C:\\Tools/\\"},
      // Compared by character, not by ANSI byte: 表's second byte in CP932 is 0x5C.
      {L"C:\\表", L"C:\\表\\"},
  };
  for (const auto& row : rows) EXPECT_EQ(AddPathSeparator(row.in), row.out) << row.in;
}

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
