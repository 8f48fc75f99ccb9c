// Talvern's registrations as a whole: they follow a Talvern moved to another folder, and
// the system menu removes them in one go.
#include <gtest/gtest.h>

#include "tests/shell/shell_helpers.h"

namespace talvern {
namespace e2e {
namespace {

const wchar_t kSet[] = L"関連付けを設定";
const wchar_t kShortcut[] = L"送るにショートカット";

std::wstring Lower(std::wstring text) {
  CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

/// True when a REG_SZ value anywhere under `key` holds `text` (any case).
bool TreeNames(HKEY root, const std::wstring& key, const std::wstring& text) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  bool found = false;
  wchar_t name[256], data[2048];
  for (DWORD i = 0; !found; ++i) {
    DWORD name_length = 256, bytes = sizeof(data) - sizeof(wchar_t), type = 0;
    if (RegEnumValueW(opened, i, name, &name_length, nullptr, &type, reinterpret_cast<BYTE*>(data),
                      &bytes) != ERROR_SUCCESS) {
      break;
    }
    data[bytes / sizeof(wchar_t)] = L'\0';
    found = type == REG_SZ && Lower(data).find(Lower(text)) != std::wstring::npos;
  }
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    children.push_back(name);
  }
  RegCloseKey(opened);
  for (const std::wstring& child : children)
    found = found || TreeNames(root, key + L"\\" + child, text);
  return found;
}

class RegistrationsE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TestFolder();
    ASSERT_FALSE(folder_.empty());
    link_ = SendToFolder() + L"\\TVern.lnk";
    DeleteFileW(link_.c_str());
  }
  void TearDown() override { DeleteFileW(link_.c_str()); }

  /// Sets the association and writes the shortcut from the window of `exe`.
  void Register(const std::wstring& exe) {
    std::wstring error;
    std::unique_ptr<SettingsRun> run = SettingsRun::Open(exe, &error);
    ASSERT_TRUE(run) << Utf8(error);
    EXPECT_TRUE(run->Click(kSet).hwnd);
    EXPECT_TRUE(run->Click(kShortcut).hwnd);
    EXPECT_TRUE(run->Close());
  }

  ClassesGuard classes_;
  std::wstring folder_;
  std::wstring link_;
};

TEST_F(RegistrationsE2E, YesPointsEveryRegistrationOfAMovedTalvernHere) {
  Installation old_place, app;
  ASSERT_TRUE(Install(folder_ + L"Old Place", L"talvern.exe", &old_place));
  Register(old_place.exe);
  ASSERT_TRUE(RemoveTree(folder_ + L"Old Place"));
  ASSERT_TRUE(Install(folder_ + L"New Place", L"talvern.exe", &app));

  std::wstring error;
  std::unique_ptr<ProgramRun> run = ProgramRun::Start(app.exe, L"", &error);
  ASSERT_TRUE(run) << Utf8(error);
  const HWND question = WaitForMessageBox(run->pid());
  ASSERT_TRUE(question);
  EXPECT_NE(ReadMessageBox(question).text.find(L"古い場所: " + old_place.exe), std::wstring::npos);
  ASSERT_TRUE(AnswerBox(question, IDYES));
  const MessageBoxInfo done = TakeMessageBox(run->pid());
  EXPECT_EQ(done.icon, IconKind::kInformation) << Utf8(done.text);
  const HWND window = WaitForWindow(run->pid(), kWindowCaption);
  ASSERT_TRUE(window);
  EXPECT_TRUE(CloseWindowAndWait(window));
  EXPECT_TRUE(run->WaitEnded());

  std::wstring command;
  EXPECT_TRUE(RegistryDefault(HKEY_CLASSES_ROOT, kCommandKey, &command));
  EXPECT_EQ(Utf8(command), Utf8(L"\"" + app.exe + L"\" %1"));
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER}) {
    for (const wchar_t* key : {kClassKey, L"Software\\Classes", L"Software\\Talvern"}) {
      EXPECT_FALSE(TreeNames(root, key, old_place.exe)) << Utf8(key);
    }
  }
  std::wstring target;
  EXPECT_TRUE(ResolveLink(link_, &target, &error)) << Utf8(error);
  EXPECT_EQ(CompareStringOrdinal(target.c_str(), -1, app.exe.c_str(), -1, TRUE), CSTR_EQUAL)
      << Utf8(target);
}

TEST_F(RegistrationsE2E, SystemMenuItemRemovesEverythingButOtherPrograms) {
  const std::wstring other = L"Other.Document";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kOpenWithKey, other.c_str(), REG_NONE, nullptr, 0),
            ERROR_SUCCESS);
  Installation app;
  ASSERT_TRUE(Install(folder_ + L"Talvern", L"talvern.exe", &app));
  Register(app.exe);
  std::wstring error;
  std::unique_ptr<SettingsRun> run = SettingsRun::Open(app.exe, &error);
  ASSERT_TRUE(run) << Utf8(error);
  ASSERT_TRUE(SendChord(run->window(), {VK_MENU, VK_SPACE}));
  Sleep(300);  // the menu opens
  ASSERT_TRUE(SendChord(run->window(), {'U'}));
  const HWND question = WaitForMessageBox(0, run->window());
  ASSERT_TRUE(question);
  EXPECT_EQ(Utf8(ReadMessageBox(question).text).rfind("Talvern の登録をすべて削除しますか?", 0),
            0u);
  ASSERT_TRUE(AnswerBox(question, IDYES));
  const MessageBoxInfo report = TakeMessageBox(0);
  EXPECT_EQ(report.icon, IconKind::kInformation) << Utf8(report.text);
  EXPECT_NE(report.text.find(link_), std::wstring::npos) << Utf8(report.text);
  EXPECT_TRUE(run->Close());

  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER}) {
    for (const wchar_t* key : {kClassKey, L"Software\\Classes", L"Software\\Talvern",
                               L"Software\\RegisteredApplications"}) {
      EXPECT_FALSE(TreeNames(root, key, app.exe)) << Utf8(key);
    }
  }
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kTalvernClass));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kTalvernKey));
  EXPECT_EQ(GetFileAttributesW(link_.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kOpenWithKey, other.c_str(), RRF_RT_ANY, nullptr,
                         nullptr, nullptr),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
