#include "shell/sendto.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_platform.h"

namespace talvern {
namespace {

const wchar_t kDone[] = L"送るにショートカットを作成しました";
const wchar_t kFailed[] = L"正常に処理できませんでした";

TEST(SendToTest, LinkInTheSendToFolderAimsAtTheRunningExecutable) {
  struct Row {
    const wchar_t* exe;
    const wchar_t* send_to;
    const wchar_t* link;
  } rows[] = {
      {L"C:\\Tools\\talvern.exe", L"C:\\Users\\me\\SendTo", L"C:\\Users\\me\\SendTo\\TVern.lnk"},
      {L"C:\\talvern.exe", L"C:\\Users\\me\\SendTo\\", L"C:\\Users\\me\\SendTo\\TVern.lnk"},
      {L"D:\\My Tools\\Renamed.exe", L"E:\\", L"E:\\TVern.lnk"},
  };
  for (const Row& row : rows) {
    FakePlatform fake(row.exe);
    fake.shell.send_to = row.send_to;
    CreateSendToShortcut(fake.platform);
    EXPECT_EQ(fake.shell.links, (std::map<std::wstring, std::wstring>{{row.link, row.exe}}));
    ASSERT_EQ(fake.messages.shown.size(), 1u) << row.exe;
    EXPECT_EQ(fake.messages.shown[0].prompt, kDone);
    EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::kInformation);
    EXPECT_EQ(fake.messages.shown[0].title, L"Talvern");
  }
}

TEST(SendToTest, SecondClickRewritesTheLink) {
  FakePlatform fake(L"C:\\Old\\talvern.exe");
  fake.shell.send_to = L"C:\\SendTo";
  CreateSendToShortcut(fake.platform);
  fake.platform.App = MakeAppFacts(L"C:\\New\\talvern.exe");
  CreateSendToShortcut(fake.platform);
  EXPECT_EQ(fake.shell.links[L"C:\\SendTo\\TVern.lnk"], L"C:\\New\\talvern.exe");
  ASSERT_EQ(fake.messages.shown.size(), 2u);
  EXPECT_EQ(fake.messages.shown[1].prompt, kDone);
}

TEST(SendToTest, MissingSendToFolderWritesNothingAndSaysSo) {
  FakePlatform fake;
  fake.shell.send_to.clear();
  CreateSendToShortcut(fake.platform);
  EXPECT_TRUE(fake.shell.links.empty());
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].prompt.find(kFailed), 0u);
  EXPECT_NE(fake.messages.shown[0].prompt.find(L"SHGetKnownFolderPath"), std::wstring::npos);
  EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::kCritical);
  EXPECT_EQ(fake.messages.shown[0].title, L"Talvern");
}

TEST(SendToTest, WriteFailureIsCriticalWithTheReason) {
  FakePlatform fake;
  fake.shell.send_to = L"C:\\SendTo";
  fake.shell.write_error = L"IPersistFile::Save: Access is denied.";
  CreateSendToShortcut(fake.platform);
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].prompt,
            std::wstring(kFailed) + L"\r\nIPersistFile::Save: Access is denied.");
  EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::kCritical);
}

}  // namespace
}  // namespace talvern
