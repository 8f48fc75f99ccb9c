// The shell verb of Word documents, set and removed from the real settings window and
// used through the shell the way a double-click uses it.
#include <gtest/gtest.h>

#include "tests/shell/shell_helpers.h"

namespace talvern {
namespace e2e {
namespace {

const wchar_t kSet[] = L"関連付けを設定";
const wchar_t kRemove[] = L"関連付けを解除";
const wchar_t kSetDone[] = L"関連付けを設定しました";
const wchar_t kRemoveDone[] = L"関連付けを解除しました\r\n関連付けを標準に戻しました";
const std::wstring kSetAsks =
    std::wstring(kSetDone) +
    L"\r\n.doc ファイルを開くプログラムはまだ決まっていません。次に .doc "
    L"ファイルをダブルクリックすると、使うプログラムを Windows が尋ねます。"
    L"そこに表示される Talvern を選んでください。";
const std::wstring kUserClass = std::wstring(kUserClasses);

/// The REG_SZ value `name` of `key` under HKEY_CURRENT_USER; "(absent)" when missing.
std::wstring UserValue(const std::wstring& key, const wchar_t* name) {
  wchar_t data[1024] = L"";
  DWORD bytes = sizeof(data);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &bytes) !=
      ERROR_SUCCESS) {
    return L"(absent)";
  }
  return data;
}

/// Type and bytes of the value `name` of `key` under HKEY_CURRENT_USER.
std::pair<DWORD, std::string> TypedValue(const std::wstring& key, const wchar_t* name) {
  DWORD type = 0, size = 64;
  char data[64] = {};
  RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size);
  return {type, std::string(data, size)};
}

::testing::AssertionResult HasString(HKEY root, const std::wstring& key,
                                     const std::wstring& expected) {
  DWORD type = 0;
  std::wstring value;
  if (!ReadDefault(root, key, &type, &value)) {
    return ::testing::AssertionFailure() << Utf8(key) << " has no default value";
  }
  if (type != REG_SZ) return ::testing::AssertionFailure() << Utf8(key) << " has type " << type;
  if (value != expected) {
    return ::testing::AssertionFailure()
           << Utf8(key) << " holds \"" << Utf8(value) << "\", not \"" << Utf8(expected) << "\"";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Shows(const MessageBoxInfo& box, const std::wstring& text,
                                 IconKind icon) {
  if (!box.hwnd) return ::testing::AssertionFailure() << "no message box";
  if (box.text != text || box.icon != icon || box.caption != kMessageCaption) {
    return ::testing::AssertionFailure()
           << "message \"" << Utf8(box.text) << "\" (" << IconName(box.icon) << ", caption \""
           << Utf8(box.caption) << "\")";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Fails(const MessageBoxInfo& box, const std::wstring& first_line,
                                 const std::wstring& named_key) {
  if (!box.hwnd) return ::testing::AssertionFailure() << "no message box";
  if (box.icon != IconKind::kCritical || box.text.rfind(first_line, 0) != 0 ||
      box.text.find(named_key) == std::wstring::npos) {
    return ::testing::AssertionFailure()
           << "message \"" << Utf8(box.text) << "\" (" << IconName(box.icon) << ")";
  }
  return ::testing::AssertionSuccess();
}

class VerbE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TestFolder();
    ASSERT_FALSE(folder_.empty());
    ASSERT_TRUE(Install(folder_ + L"Talvern", L"talvern.exe", &app_));
  }

  /// Opens the settings window, clicks `caption` and closes the window again.
  MessageBoxInfo ClickOnce(const std::wstring& caption, int answer = IDOK) {
    std::wstring error;
    std::unique_ptr<SettingsRun> run = SettingsRun::Open(app_.exe, &error);
    EXPECT_TRUE(run) << Utf8(error);
    if (!run) return MessageBoxInfo();
    MessageBoxInfo box = run->Click(caption, answer);
    EXPECT_TRUE(run->Close());
    return box;
  }

  std::wstring Command() const { return L"\"" + app_.exe + L"\" %1"; }

  ClassesGuard classes_;
  std::wstring folder_;
  Installation app_;
};

TEST_F(VerbE2E, SetWritesVerbCommandAndDefaultAsStringsForTheUser) {
  // ".doc" maps to no class here, so a double-click will ask which program to use.
  EXPECT_TRUE(Shows(ClickOnce(kSet), kSetAsks, IconKind::kInformation));
  EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kUserClass + kVerbKey, L"判別"));
  EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kUserClass + kCommandKey, Command()));
  EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kUserClass + kShellKey, L"TVern"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey));  // the machine's classes
}

TEST_F(VerbE2E, RemoveWithoutEarlierSetWritesNothing) {
  EXPECT_TRUE(
      Shows(ClickOnce(kRemove), L"解除する関連付けはありませんでした。", IconKind::kInformation));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUserClass + kClassKey));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

TEST_F(VerbE2E, SetRemoveSetInOneWindow) {
  const std::wstring other = L"Other.Document";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kOpenWithKey, other.c_str(), REG_NONE, nullptr, 0),
            ERROR_SUCCESS);
  // The machine's Word document class as Word leaves it, and as set and remove leave it.
  const std::wstring word_open = L"Word.Document.8\\shell\\Open\\command", word = L"W /n \"%1\"";
  ASSERT_TRUE(SetRegistryDefault(HKEY_CLASSES_ROOT, word_open, word));
  const auto machine_as_left = [&] {
    std::wstring value;
    return HasString(HKEY_CLASSES_ROOT, word_open, word) &&
           !RegistryDefault(HKEY_CLASSES_ROOT, kShellKey, &value) &&
           !RegistryKeyExists(HKEY_CLASSES_ROOT, kVerbKey);
  };
  std::wstring error;
  std::unique_ptr<SettingsRun> run = SettingsRun::Open(app_.exe, &error);
  ASSERT_TRUE(run) << Utf8(error);
  EXPECT_TRUE(Shows(run->Click(kSet), kSetAsks, IconKind::kInformation));
  EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kUserClass + kShellKey, L"TVern"));
  EXPECT_TRUE(machine_as_left());
  const std::wstring talvern_class = kTalvernClass;
  const std::vector<std::pair<std::wstring, std::wstring>> candidate = {
      {UserValue(kUserClass + kVerbKey, L"MultiSelectModel"), L"Player"},
      {UserValue(talvern_class + L"\\shell\\open", L"MultiSelectModel"), L"Player"},
      {UserValue(talvern_class + L"\\DefaultIcon", nullptr), L"\"" + app_.exe + L"\",0"},
      {UserValue(talvern_class + L"\\shell\\open\\command", nullptr), Command()},
      {UserValue(kOpenWithKey, L"Talvern.Document"), L""},
      {UserValue(kOpenWithKey, other.c_str()), L"(absent)"},  // REG_NONE, not read as text
      {UserValue(L"Software\\Talvern\\Capabilities", L"ApplicationName"), L"Talvern"},
      {UserValue(L"Software\\Talvern\\Capabilities\\FileAssociations", L".doc"),
       L"Talvern.Document"},
      {UserValue(kRegisteredKey, L"Talvern"), L"Software\\Talvern\\Capabilities"},
  };
  for (const auto& value : candidate) EXPECT_EQ(Utf8(value.first), Utf8(value.second));

  // The verb really goes: Wine, like the NT family, keeps a key that still has subkeys.
  ASSERT_TRUE(SetRegistryDefault(HKEY_CURRENT_USER, kUserClass + kShellKey, L"Edit"));  // others
  EXPECT_TRUE(Shows(run->Click(kRemove),
                    L"関連付けを解除しました\r\nWord 文書の既定の操作は「Edit」のままです。",
                    IconKind::kInformation));
  EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kUserClass + kShellKey, L"Edit"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUserClass + kCommandKey));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUserClass + kVerbKey));
  EXPECT_TRUE(machine_as_left());
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kTalvernClass));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kTalvernKey));
  EXPECT_EQ(Utf8(UserValue(kOpenWithKey, L"Talvern.Document")), "(absent)");
  EXPECT_EQ(Utf8(UserValue(kRegisteredKey, L"Talvern")), "(absent)");
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kOpenWithKey, other.c_str(), RRF_RT_ANY, nullptr,
                         nullptr, nullptr),
            ERROR_SUCCESS);

  EXPECT_TRUE(Shows(run->Click(kSet), kSetAsks, IconKind::kInformation));
  EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kUserClass + kVerbKey, L"判別"));
  EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kUserClass + kCommandKey, Command()));
  EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kUserClass + kShellKey, L"TVern"));
  EXPECT_TRUE(run->Close());
}

// The shared keys the set created go; the user's own default verb and an empty shared key
// that were there before the set are back after the removal.
TEST_F(VerbE2E, RemoveLeavesTheSharedKeysAndTheDefaultVerbAsTheSetFoundThem) {
  const std::wstring type = L"Software\\Classes\\.doc", shell = kUserClass + kShellKey;
  for (bool found : {false, true}) {
    ClassesGuard clean;
    RegDeleteKeyW(HKEY_CURRENT_USER, kRegisteredKey);
    if (found) {
      ASSERT_TRUE(SetRegistryDefault(HKEY_CURRENT_USER, shell, L"Edit"));
      HKEY key;
      ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, type.c_str(), &key), ERROR_SUCCESS);
      RegCloseKey(key);
    }
    EXPECT_TRUE(ClickOnce(kSet).hwnd);
    EXPECT_TRUE(Shows(ClickOnce(kRemove), kRemoveDone, IconKind::kInformation));
    EXPECT_EQ(RegistryKeyExists(HKEY_CURRENT_USER, type), found);
    for (const std::wstring& key :
         {std::wstring(kOpenWithKey), std::wstring(kRegisteredKey), kUserClass + kVerbKey}) {
      EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, key)) << Utf8(key);
    }
    std::wstring verb;
    EXPECT_EQ(RegistryDefault(HKEY_CURRENT_USER, shell, &verb) ? verb : L"(none)",
              found ? L"Edit" : L"(none)");
  }
}

TEST_F(VerbE2E, EarlierMachineWideVerbStaysOnSetAndGoesOnRemoveWhereAllowed) {
  // As an earlier version run as administrator left the machine's classes; their default
  // verb read-only at first, as for a standard user.
  const std::wstring old_command = L"\"" + folder_ + L"Old\\talvern.exe\" %1";
  ASSERT_TRUE(SetRegistryDefault(HKEY_CLASSES_ROOT, kShellKey, L"TVern") &&
              SetRegistryDefault(HKEY_CLASSES_ROOT, kVerbKey, L"判別") &&
              SetRegistryDefault(HKEY_CLASSES_ROOT, kCommandKey, old_command));
  ASSERT_TRUE(LockKeys(HKEY_CLASSES_ROOT, {kShellKey}));
  std::wstring error;
  std::unique_ptr<SettingsRun> run = SettingsRun::Open(app_.exe, &error);
  ASSERT_TRUE(run) << Utf8(error);

  EXPECT_TRUE(Shows(run->Click(kSet), kSetAsks, IconKind::kInformation));
  EXPECT_TRUE(HasString(HKEY_CURRENT_USER, kUserClass + kCommandKey, Command()));
  EXPECT_TRUE(HasString(HKEY_CLASSES_ROOT, kCommandKey, old_command));
  EXPECT_TRUE(HasString(HKEY_CLASSES_ROOT, kShellKey, L"TVern"));

  // What this user may clean is clean, and one line says how the rest can go.
  EXPECT_TRUE(Fails(run->Click(kRemove), L"関連付けを解除できませんでした",
                    L"管理者として実行して「関連付けを解除」を押すと削除できます。"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUserClass + kShellKey));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUserClass + kVerbKey));
  EXPECT_TRUE(HasString(HKEY_CLASSES_ROOT, kCommandKey, old_command));

  UnlockTree(HKEY_CLASSES_ROOT, kClassKey);
  EXPECT_TRUE(Shows(run->Click(kRemove), kRemoveDone, IconKind::kInformation));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kVerbKey));
  EXPECT_TRUE(HasString(HKEY_CLASSES_ROOT, kShellKey, L"Open"));
  EXPECT_TRUE(run->Close());
}

TEST_F(VerbE2E, BothRefusedGiveCriticalMessagesOnly) {
  // Values of Talvern's names that are no strings come back exactly when a set is undone.
  const std::wstring icon = std::wstring(kTalvernClass) + L"\\DefaultIcon";
  const std::string none("\x01\x00\x02", 3), expand("%\0S\0\0\0", 6);
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kOpenWithKey, L"Talvern.Document", REG_NONE,
                            none.data(), 3),
            ERROR_SUCCESS);
  ASSERT_EQ(
      RegSetKeyValueW(HKEY_CURRENT_USER, icon.c_str(), nullptr, REG_EXPAND_SZ, expand.data(), 6),
      ERROR_SUCCESS);
  const std::vector<std::wstring> keys = {kClassKey, kShellKey, kVerbKey, kCommandKey};
  std::vector<std::wstring> user_keys;
  for (const std::wstring& key : keys) user_keys.push_back(kUserClass + key);
  ASSERT_TRUE(SetRegistryDefault(HKEY_CURRENT_USER, user_keys[1], L"TVern"));  // to remove
  ASSERT_TRUE(LockKeys(HKEY_CURRENT_USER, user_keys));

  EXPECT_TRUE(Fails(ClickOnce(kSet), L"関連付けを設定できませんでした",
                    L"HKEY_CURRENT_USER\\Software\\Classes\\Word.Document.8\\shell\\TVern\r\n"));
  EXPECT_EQ(TypedValue(kOpenWithKey, L"Talvern.Document"), std::make_pair(DWORD{REG_NONE}, none));
  EXPECT_EQ(TypedValue(icon, nullptr), std::make_pair(DWORD{REG_EXPAND_SZ}, expand));
  EXPECT_TRUE(Fails(ClickOnce(kRemove), L"関連付けを解除できませんでした",
                    L"HKEY_CURRENT_USER\\Software\\Classes\\Word.Document.8\\shell\r\n"));
  std::wstring value;
  for (const std::wstring& key : keys) {
    EXPECT_FALSE(RegistryDefault(HKEY_CLASSES_ROOT, key, &value)) << Utf8(key);
    EXPECT_EQ(RegistryDefault(HKEY_CURRENT_USER, kUserClass + key, &value), key == kShellKey)
        << Utf8(key);
  }
}

TEST_F(VerbE2E, OfferOpensTheDefaultAppsPageOnYesOnly) {
  // Windows' Settings app as the shell sees it: the "ms-settings" URL protocol, run by a
  // stand-in that records the URI it gets.
  const std::wstring settings = folder_ + L"Settings\\SystemSettings.exe";
  struct Unregister {
    ~Unregister() { RegDeleteTreeW(HKEY_CLASSES_ROOT, L"ms-settings"); }
  } unregister;
  const wchar_t kEmpty[] = L"";
  ASSERT_TRUE(InstallStandIn(settings) &&
              RegSetKeyValueW(HKEY_CLASSES_ROOT, L"ms-settings", L"URL Protocol", REG_SZ, kEmpty,
                              sizeof(kEmpty)) == ERROR_SUCCESS &&
              SetRegistryDefault(HKEY_CLASSES_ROOT, L"ms-settings\\shell\\open\\command",
                                 L"\"" + settings + L"\" \"%1\""));
  // The other program is registered as a packaged app is: its verb names a COM object
  // instead of a command.
  const std::wstring verb = std::wstring(kTestDocClass) + L"\\shell\\open";
  const wchar_t kClsid[] = L"{4ED3A719-CEA8-4BD9-910D-E252F997AFC2}";
  ASSERT_TRUE(SetRegistryDefault(HKEY_CLASSES_ROOT, kTestDocClass, L"フォト文書"));
  ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, verb.c_str(), L"DelegateExecute", REG_SZ, kClsid,
                            sizeof(kClsid)),
            ERROR_SUCCESS);
  const std::wstring page =
      L"\"" + settings + L"\" \"ms-settings:defaultapps?registeredAppUser=Talvern\"";
  std::size_t pages = 0;
  for (const bool other_program : {false, true}) {
    for (const int answer : {IDNO, IDYES}) {
      RegDeleteTreeW(HKEY_CLASSES_ROOT, L".doc");
      if (other_program) ASSERT_TRUE(SetRegistryDefault(HKEY_CLASSES_ROOT, L".doc", kTestDocClass));
      const std::wstring start =
          other_program
              ? L"\r\nただし、.doc ファイルをダブルクリックすると、今は フォト文書 が開きます。"
              : L"\r\n.doc ファイルを開く";
      // Only a Yes/No question is answered: any other box comes back without its hwnd.
      const MessageBoxInfo box = ClickOnce(kSet, answer);
      EXPECT_TRUE(box.hwnd);
      EXPECT_EQ(box.text.rfind(kSetDone + start, 0), 0u) << Utf8(box.text);
      EXPECT_EQ(box.icon, other_program ? IconKind::kExclamation : IconKind::kInformation);
      // Talvern and what it started have ended: every page it opened is on record.
      if (answer == IDYES) ++pages;
      EXPECT_EQ(CommandLines(ReadRecords({settings})), std::vector<std::wstring>(pages, page));
    }
  }
}

/// Talvern under "C:\Program Files\...", with a C:\Program.exe that an unquoted command
/// would run instead, and ".doc" as a Word document class with an "Open" verb of its own.
/// Windows merges the per-user classes, where the verb goes, over the machine's; Wine does
/// not, so this process's shell reads the per-user classes alone, and Talvern's question
/// (not merged either) finds ".doc" unmapped.
class VerbThroughShellE2E : public VerbE2E {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_ALL_ACCESS, &merged_),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, merged_), ERROR_SUCCESS);
    folder_ = TestFolder();
    ASSERT_FALSE(folder_.empty());
    ASSERT_TRUE(RemoveTree(kInstallFolder));
    ASSERT_TRUE(Install(kInstallFolder, L"talvern.exe", &app_));
    ASSERT_TRUE(InstallStandIn(kProgramDecoy));
    open_program_ = folder_ + L"Other Word\\open.exe";
    ASSERT_TRUE(InstallStandIn(open_program_));
    ASSERT_TRUE(SetRegistryDefault(HKEY_CLASSES_ROOT, L".doc", kClassKey));
    ASSERT_TRUE(SetRegistryDefault(HKEY_CLASSES_ROOT, L"Word.Document.8\\shell\\Open\\command",
                                   L"\"" + open_program_ + L"\" \"%1\""));
    compound_ = folder_ + L"My Documents\\quarterly report.doc";
    plain_ = folder_ + L"My Documents\\read me first.doc";
    ASSERT_TRUE(WriteBytes(compound_, CompoundBytes()));
    ASSERT_TRUE(WriteBytes(plain_, PlainTextBytes()));
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(merged_);
    DeleteFileW(kProgramDecoy);
    DeleteFileW(RecordLog(kProgramDecoy).c_str());
    RemoveTree(kInstallFolder);
  }

  /// Opens `document` as a double-click does and waits for the program it started.
  void DoubleClick(const std::wstring& document) {
    HANDLE process = nullptr;
    std::wstring error;
    ASSERT_TRUE(ShellOpen(document, &process, &error)) << Utf8(error);
    if (process) {
      EXPECT_EQ(WaitForSingleObject(process, kPatience), WAIT_OBJECT_0);
      CloseHandle(process);
    }
  }

  static constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Talvern E2E";
  static constexpr wchar_t kProgramDecoy[] = L"C:\\Program.exe";
  HKEY merged_ = nullptr;
  std::wstring open_program_;
  std::wstring compound_;
  std::wstring plain_;
};

TEST_F(VerbThroughShellE2E, DoubleClickRunsTalvernUntilTheVerbIsRemoved) {
  std::wstring error;
  std::unique_ptr<SettingsRun> run = SettingsRun::Open(app_.exe, &error);
  ASSERT_TRUE(run) << Utf8(error);
  EXPECT_TRUE(Shows(run->Click(kSet), kSetAsks, IconKind::kInformation));

  DoubleClick(compound_);
  DoubleClick(plain_);
  const std::vector<StandInRecord> handed = WaitForRecords({app_.word, app_.text}, 2);
  EXPECT_EQ(CommandLines(handed), (std::vector<std::wstring>{
                                      L"\"" + app_.word + L"\" \"" + compound_ + L"\"",
                                      L"\"" + app_.text + L"\" \"" + plain_ + L"\"",
                                  }));
  EXPECT_TRUE(ReadRecords({kProgramDecoy, open_program_}).empty());

  EXPECT_TRUE(Shows(run->Click(kRemove), kRemoveDone, IconKind::kInformation));
  EXPECT_TRUE(run->Close());
  DoubleClick(compound_);
  EXPECT_EQ(CommandLines(WaitForRecords({open_program_}, 1)),
            std::vector<std::wstring>{L"\"" + open_program_ + L"\" \"" + compound_ + L"\""});
  EXPECT_EQ(ReadRecords({app_.word, app_.text}).size(), 2u);
  EXPECT_TRUE(ReadRecords({kProgramDecoy}).empty());
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
