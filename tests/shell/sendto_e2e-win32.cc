// The SendTo shortcut, written from the real settings window, read back through the
// shell-link interfaces and started with documents the way Send To starts it.
#include <gtest/gtest.h>

#include "tests/shell/shell_helpers.h"

namespace talvern {
namespace e2e {
namespace {

const wchar_t kShortcut[] = L"送るにショートカット";
const wchar_t kDone[] = L"送るにショートカットを作成しました";
const wchar_t kFailed[] = L"正常に処理できませんでした";

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

/// Moves a folder out of the way and puts it back, whatever the test left in its place.
class FolderAside {
 public:
  explicit FolderAside(const std::wstring& folder)
      : folder_(folder), saved_(folder + L" (saved by shell_e2e)") {
    RemoveTree(saved_);
    moved_ = MoveFileW(folder_.c_str(), saved_.c_str()) != 0;
  }
  ~FolderAside() {
    if (!moved_) return;
    RemoveTree(folder_);
    MoveFileW(saved_.c_str(), folder_.c_str());
  }
  bool moved() const { return moved_; }

 private:
  std::wstring folder_;
  std::wstring saved_;
  bool moved_ = false;
};

class SendToE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TestFolder();
    ASSERT_FALSE(folder_.empty());
    send_to_ = SendToFolder();
    ASSERT_FALSE(send_to_.empty());
    link_ = send_to_ + L"\\TVern.lnk";
    DeleteFileW(link_.c_str());
    // A renamed copy: the link must aim at this very file, not at a "talvern.exe" beside it.
    ASSERT_TRUE(Install(folder_ + L"Renamed Copy", L"tv copy.exe", &app_));
  }
  void TearDown() override { DeleteFileW(link_.c_str()); }

  /// Opens the settings window of `exe`, clicks the shortcut button and closes it again.
  MessageBoxInfo ClickShortcut(const std::wstring& exe) {
    std::wstring error;
    std::unique_ptr<SettingsRun> run = SettingsRun::Open(exe, &error);
    EXPECT_TRUE(run) << Utf8(error);
    if (!run) return MessageBoxInfo();
    MessageBoxInfo box = run->Click(kShortcut);
    EXPECT_TRUE(run->Close());
    return box;
  }

  ::testing::AssertionResult LinkAimsAt(const std::wstring& exe) {
    std::wstring target, error;
    if (!ResolveLink(link_, &target, &error)) return ::testing::AssertionFailure() << Utf8(error);
    if (!SamePath(target, exe)) {
      return ::testing::AssertionFailure() << "the link aims at " << Utf8(target);
    }
    return ::testing::AssertionSuccess();
  }

  std::wstring folder_;
  std::wstring send_to_;
  std::wstring link_;
  Installation app_;
};

TEST_F(SendToE2E, ClickWritesLinkToTheRunningExecutable) {
  const MessageBoxInfo box = ClickShortcut(app_.exe);
  EXPECT_EQ(box.text, kDone);
  EXPECT_EQ(box.icon, IconKind::kInformation);
  EXPECT_EQ(box.caption, kMessageCaption);
  EXPECT_TRUE(LinkAimsAt(app_.exe));
}

TEST_F(SendToE2E, SecondClickRetargetsTheLinkAndKeepsItsDescription) {
  Installation moved;
  ASSERT_TRUE(Install(folder_ + L"Moved Here", L"talvern.exe", &moved));
  EXPECT_EQ(ClickShortcut(app_.exe).text, kDone);
  EXPECT_TRUE(LinkAimsAt(app_.exe));
  std::wstring error, target, description;
  ASSERT_TRUE(DescribeLink(link_, L"Talvern で判別", &error)) << Utf8(error);
  const MessageBoxInfo again = ClickShortcut(moved.exe);
  EXPECT_EQ(again.text, kDone);
  EXPECT_EQ(again.icon, IconKind::kInformation);
  EXPECT_TRUE(LinkAimsAt(moved.exe));
  EXPECT_TRUE(ResolveLink(link_, &target, &error, &description)) << Utf8(error);
  EXPECT_EQ(Utf8(description), Utf8(L"Talvern で判別"));
}

TEST_F(SendToE2E, LinkHeldOpenGivesCriticalMessage) {
  ASSERT_TRUE(WriteBytes(link_, "in use"));
  HANDLE held = CreateFileW(link_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const MessageBoxInfo box = ClickShortcut(app_.exe);
  CloseHandle(held);
  EXPECT_EQ(box.text.rfind(kFailed, 0), 0u) << Utf8(box.text);
  EXPECT_EQ(box.icon, IconKind::kCritical);
  std::string bytes;
  EXPECT_TRUE(ReadBytes(link_, &bytes));
  EXPECT_EQ(bytes, "in use");
  // Let go, the file that is no link gives way to a new one.
  EXPECT_EQ(ClickShortcut(app_.exe).text, kDone);
  EXPECT_TRUE(LinkAimsAt(app_.exe));
}

TEST_F(SendToE2E, UnusableSendToFolderGivesCriticalMessageAndNoLinkElsewhere) {
  const struct {
    const char* name;
    bool file_in_its_place;
    const wchar_t* failing_call;
  } rows[] = {
      {"missing", false, L"SHGetKnownFolderPath"},
      {"a file", true, L"IPersistFile::Save"},
  };
  FolderAside aside(send_to_);
  ASSERT_TRUE(aside.moved());
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.file_in_its_place) ASSERT_TRUE(WriteBytes(send_to_, "not a folder"));
    const MessageBoxInfo box = ClickShortcut(app_.exe);
    EXPECT_EQ(box.text.rfind(std::wstring(kFailed) + L"\r\n" + row.failing_call, 0), 0u)
        << Utf8(box.text);
    EXPECT_EQ(box.icon, IconKind::kCritical);
    EXPECT_EQ(Exists(send_to_), row.file_in_its_place);
    // Never a stray link in the root of the current drive instead.
    wchar_t root_link[MAX_PATH];
    ASSERT_NE(GetFullPathNameW(L"\\TVern.lnk", MAX_PATH, root_link, nullptr), 0u);
    EXPECT_FALSE(Exists(root_link)) << Utf8(root_link);
    EXPECT_FALSE(Exists(L"C:\\TVern.lnk"));
    DeleteFileW(send_to_.c_str());
  }
}

TEST_F(SendToE2E, StartingTheLinkWithDocumentsDispatchesThem) {
  ASSERT_EQ(ClickShortcut(app_.exe).text, kDone);
  const std::wstring compound = folder_ + L"Sent Files\\minutes 2024.doc";
  const std::wstring plain = folder_ + L"Sent Files\\todo list.doc";
  ASSERT_TRUE(WriteBytes(compound, CompoundBytes()));
  ASSERT_TRUE(WriteBytes(plain, PlainTextBytes()));

  std::wstring error;
  ASSERT_TRUE(ShellStart(link_, L"\"" + compound + L"\" \"" + plain + L"\"", &error))
      << Utf8(error);
  // A link gives no process to wait for: the stand-ins' records tell when it is done.
  EXPECT_EQ(CommandLines(WaitForRecords({app_.word, app_.text}, 2)),
            (std::vector<std::wstring>{
                L"\"" + app_.word + L"\" \"" + compound + L"\"",
                L"\"" + app_.text + L"\" \"" + plain + L"\"",
            }));
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
