// The switches an administrator's script gives: the buttons' work, without a window, read
// back from the registry, the SendTo folder, the exit code and the redirected output.
#include <gtest/gtest.h>

#include <map>

#include "tests/shell/shell_helpers.h"

namespace talvern {
namespace e2e {
namespace {

/// Every key (as "name\") and value (as "key\name" -> type and bytes) under Talvern's keys.
using Snapshot = std::map<std::wstring, std::string>;
void Take(HKEY root, const std::wstring& key, Snapshot* into) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
  (*into)[key + L"\\"] = "";
  wchar_t name[256];
  BYTE data[2048];
  for (DWORD i = 0, length = 256, bytes = sizeof(data), type = 0;
       RegEnumValueW(opened, i, name, &length, nullptr, &type, data, &bytes) == ERROR_SUCCESS;
       ++i, length = 256, bytes = sizeof(data)) {
    (*into)[key + L"\\" + name] = std::to_string(type) + ":" + std::string(data, data + bytes);
  }
  for (DWORD i = 0, length = 256;
       RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) == 0;
       ++i, length = 256) {
    Take(root, key + L"\\" + name, into);
  }
  RegCloseKey(opened);
}
const wchar_t* const kKeys[] = {L"Software\\Classes\\Word.Document.8", kTalvernClass,
                                kTalvernKey, L"Software\\Classes\\.doc", kRegisteredKey};
Snapshot Take() {
  Snapshot s;
  for (const wchar_t* key : kKeys) Take(HKEY_CURRENT_USER, key, &s);
  Take(HKEY_CLASSES_ROOT, kClassKey, &s);
  return s;
}

/// Runs `exe` with `arguments` from a script, its output redirected into a file; the exit
/// code (STILL_ACTIVE when it did not end, as with a box nobody answers) and the output.
DWORD RunSwitches(const std::wstring& exe, const std::wstring& arguments, std::string* output) {
  const std::wstring file = TestFolder(L"out") + L"stdout.txt";
  const RunResult run = RunToEnd(L"C:\\windows\\system32\\cmd.exe",
                                 L"/c \"\"" + exe + L"\" " + arguments + L" > \"" + file + L"\"\"");
  ReadBytes(file, output);
  return run.ended ? run.exit_code : STILL_ACTIVE;
}

class SwitchesE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TestFolder();
    link_ = SendToFolder() + L"\\TVern.lnk";
    DeleteFileW(link_.c_str());
    ASSERT_TRUE(Install(folder_ + L"Talvern", L"talvern.exe", &app_));
  }
  void TearDown() override { DeleteFileW(link_.c_str()); }

  ClassesGuard classes_;
  std::wstring folder_, link_;
  Installation app_;
};

TEST_F(SwitchesE2E, RegisterWritesWhatTheButtonWritesWithoutWindowOrSettings) {
  // A double-click runs Talvern here, so nothing is left for the user to choose.
  ASSERT_TRUE(classes_.doc.Map(L"\"" + app_.exe + L"\" %1"));
  // Both sets start alike, so they record alike what they found.
  for (const wchar_t* key : kKeys) RegDeleteTreeW(HKEY_CURRENT_USER, key);
  std::wstring error;
  std::unique_ptr<SettingsRun> settings = SettingsRun::Open(app_.exe, &error);
  ASSERT_TRUE(settings) << Utf8(error);
  EXPECT_EQ(Utf8(settings->Click(L"関連付けを設定").text), Utf8(L"関連付けを設定しました"));
  EXPECT_TRUE(settings->Close());
  const Snapshot by_button = Take();
  ASSERT_GE(by_button.size(), 19u);  // 10 keys and 9 values
  for (const wchar_t* key : kKeys) RegDeleteTreeW(HKEY_CURRENT_USER, key);
  ASSERT_TRUE(DeleteFileW((folder_ + L"Talvern\\Data.ini").c_str()));

  std::string output;
  EXPECT_EQ(RunSwitches(app_.exe, L"/register", &output), 0u);
  EXPECT_EQ(output, Cp932(L"関連付けを設定しました\r\n"));
  EXPECT_EQ(Take(), by_button);
  EXPECT_FALSE(Exists(folder_ + L"Talvern\\Data.ini"));
}

TEST_F(SwitchesE2E, UnregisterLeavesWhatTheButtonLeaves) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kOpenWithKey, L"Other.Document", REG_NONE, nullptr,
                            0),
            ERROR_SUCCESS);
  std::string output;
  // ".doc" maps to nothing: Windows will ask, and the user chooses (exit code 3).
  EXPECT_EQ(RunSwitches(app_.exe, L"/sendto /register", &output), 3u);
  EXPECT_EQ(output, Cp932(L"関連付けを設定しました .doc ファイルを開くプログラムはまだ決まって"
                          L"いません。次に .doc ファイルをダブルクリックすると、使うプログラムを "
                          L"Windows が尋ねます。そこに表示される Talvern を選んでください。\r\n"
                          L"送るにショートカットを作成しました\r\n"));
  std::wstring target, error;
  EXPECT_TRUE(ResolveLink(link_, &target, &error) && target == app_.exe) << Utf8(target);
  std::unique_ptr<SettingsRun> settings = SettingsRun::Open(app_.exe, &error);
  ASSERT_TRUE(settings) << Utf8(error);
  ASSERT_TRUE(SendChord(settings->window(), {VK_MENU, VK_SPACE}));
  Sleep(300);  // the menu opens
  ASSERT_TRUE(SendChord(settings->window(), {'U'}));
  ASSERT_TRUE(AnswerBox(WaitForMessageBox(0, settings->window()), IDYES));
  EXPECT_TRUE(TakeMessageBox(0).hwnd);
  EXPECT_TRUE(settings->Close());
  const Snapshot by_button = Take();
  EXPECT_EQ(RunSwitches(app_.exe, L"/register /sendto", &output), 3u);
  EXPECT_EQ(RunSwitches(app_.exe, L"/UNREGISTER", &output), 0u);
  EXPECT_EQ(output.rfind(Cp932(L"Talvern の登録をすべて削除しました。 削除したもの:"), 0), 0u);
  EXPECT_EQ(RunSwitches(app_.exe, L"/unregister", &output), 2u);  // nothing left to remove

  // With a document, nothing is done; a document named like a switch is a document.
  EXPECT_EQ(RunSwitches(app_.exe, L"/register /sendto " + app_.word, &output), 6u);
  EXPECT_EQ(output.rfind(Cp932(L"スイッチと文書は一緒に指定できません。"), 0), 0u);
  EXPECT_EQ(Take(), by_button);
  EXPECT_FALSE(Exists(link_));
  const std::wstring named_like_a_switch = folder_ + L"docs\\register";
  ASSERT_TRUE(WriteBytes(named_like_a_switch, PlainTextBytes()));
  EXPECT_TRUE(RunToEnd(app_.exe, named_like_a_switch).ended);
  const std::vector<StandInRecord> opened = WaitForRecords({app_.text}, 1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].arguments, std::vector<std::wstring>{named_like_a_switch});
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
