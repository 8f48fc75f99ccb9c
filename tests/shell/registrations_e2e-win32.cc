// Talvern's registrations as a whole: they follow a Talvern moved to another folder, and
// the system menu removes them in one go.
#include <gtest/gtest.h>

#include "tests/shell/shell_helpers.h"

namespace talvern {
namespace e2e {
namespace {

/// True when a REG_SZ value anywhere under `key` holds `text` (any case).
bool TreeNames(HKEY root, const std::wstring& key, std::wstring text) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  CharLowerW(&text[0]);
  bool found = false;
  wchar_t name[256], data[2048];
  for (DWORD i = 0; !found; ++i) {
    DWORD length = 256, bytes = sizeof(data) - sizeof(wchar_t), type = 0;
    if (RegEnumValueW(opened, i, name, &length, nullptr, &type, reinterpret_cast<BYTE*>(data),
                      &bytes) != ERROR_SUCCESS) {
      break;
    }
    data[bytes / sizeof(wchar_t)] = L'\0';
    found = type == REG_SZ && std::wstring(CharLowerW(data)).find(text) != std::wstring::npos;
  }
  for (DWORD i = 0; !found; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    found = TreeNames(opened, name, text);
  }
  RegCloseKey(opened);
  return found;
}

/// True when no string under the Word document class or Talvern's keys (of `roots`) names
/// `exe`.
bool NoneNames(const std::wstring& exe,
               std::vector<HKEY> roots = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER}) {
  for (HKEY root : roots) {
    for (const wchar_t* key : {kClassKey, L"Software\\Classes", L"Software\\Talvern",
                               L"Software\\RegisteredApplications"}) {
      if (TreeNames(root, key, exe)) return false;
    }
  }
  return true;
}

TEST(RegistrationsE2E, FollowAMovedTalvernAndComeOffInOneGo) {
  ClassesGuard classes;
  const std::wstring folder = TestFolder(), link = SendToFolder() + L"\\TVern.lnk";
  ASSERT_FALSE(folder.empty());
  struct Unlink {
    std::wstring file;
    ~Unlink() { DeleteFileW(file.c_str()); }
  } unlink{link};
  DeleteFileW(link.c_str());
  const std::wstring other = L"Other.Document";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kOpenWithKey, other.c_str(), REG_NONE, nullptr, 0),
            ERROR_SUCCESS);
  Installation old_place, app;
  ASSERT_TRUE(Install(folder + L"Old Place", L"talvern.exe", &old_place));
  std::wstring error;
  std::unique_ptr<SettingsRun> settings = SettingsRun::Open(old_place.exe, &error);
  ASSERT_TRUE(settings) << Utf8(error);
  EXPECT_TRUE(settings->Click(L"関連付けを設定").hwnd);
  EXPECT_TRUE(settings->Click(L"送るにショートカット").hwnd);
  EXPECT_TRUE(settings->Close());
  // What the user set on the link stays when it follows.
  const std::wstring description = L"文書を判別して開く";
  ASSERT_TRUE(DescribeLink(link, description, &error)) << Utf8(error);
  ASSERT_TRUE(RemoveTree(folder + L"Old Place"));
  ASSERT_TRUE(Install(folder + L"New Place", L"talvern.exe", &app));
  // An earlier version's verb for the whole machine is named, never rewritten.
  const std::wstring machine_wide = L"\"" + old_place.exe + L"\" %1";
  ASSERT_TRUE(SetRegistryDefault(HKEY_CLASSES_ROOT, kCommandKey, machine_wide));

  // Started from its new folder, Talvern offers to point every registration at itself.
  std::unique_ptr<ProgramRun> run = ProgramRun::Start(app.exe, L"", &error);
  ASSERT_TRUE(run) << Utf8(error);
  HWND question = WaitForMessageBox(run->pid());
  const std::wstring asked = ReadMessageBox(question).text;
  EXPECT_NE(asked.find(L"古い場所: " + old_place.exe), std::wstring::npos);
  EXPECT_NE(asked.find(L"TVern\\command は向け直しません。"), std::wstring::npos);
  ASSERT_TRUE(AnswerBox(question, IDYES));
  EXPECT_EQ(TakeMessageBox(run->pid()).icon, IconKind::kInformation);
  const HWND window = WaitForWindow(run->pid(), kWindowCaption);
  ASSERT_TRUE(window);
  std::wstring command, target, kept;
  EXPECT_TRUE(
      RegistryDefault(HKEY_CURRENT_USER, kUserClasses + std::wstring(kCommandKey), &command));
  EXPECT_EQ(Utf8(command), Utf8(L"\"" + app.exe + L"\" %1"));
  EXPECT_TRUE(NoneNames(old_place.exe, {HKEY_CURRENT_USER}));
  EXPECT_TRUE(RegistryDefault(HKEY_CLASSES_ROOT, kCommandKey, &command) && command == machine_wide);
  EXPECT_TRUE(ResolveLink(link, &target, &error, &kept)) << Utf8(error);
  EXPECT_EQ(CompareStringOrdinal(target.c_str(), -1, app.exe.c_str(), -1, TRUE), CSTR_EQUAL)
      << Utf8(target);
  EXPECT_EQ(Utf8(kept), Utf8(description));

  // The system menu's removal item takes them all off, and nothing of other programs.
  ASSERT_TRUE(SendChord(window, {VK_MENU, VK_SPACE}));
  Sleep(300);  // the menu opens
  ASSERT_TRUE(SendChord(window, {'U'}));
  question = WaitForMessageBox(0, window);
  EXPECT_EQ(Utf8(ReadMessageBox(question).text).rfind("Talvern の登録をすべて削除しますか?", 0),
            0u);
  // Enter answers No: removing everything is never the default.
  EXPECT_EQ(GetWindowLongW(GetDlgItem(question, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  ASSERT_TRUE(AnswerBox(question, IDYES));
  EXPECT_EQ(TakeMessageBox(0).icon, IconKind::kInformation);
  EXPECT_TRUE(CloseWindowAndWait(window));
  EXPECT_TRUE(run->WaitEnded());
  EXPECT_TRUE(NoneNames(app.exe) && NoneNames(old_place.exe));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kTalvernClass));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kTalvernKey));
  EXPECT_EQ(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kOpenWithKey, other.c_str(), RRF_RT_ANY, nullptr,
                         nullptr, nullptr),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
