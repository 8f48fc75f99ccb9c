#include "window/form1.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "window/form1_design.h"
#include "window/form1_test_fixture.h"

namespace talvern {
namespace {

const wchar_t kDefaultWord[] = L"C:\\Program Files\\Microsoft Office\\Office\\WINWORD.EXE";
const wchar_t kNotFoundWord[] = L"Winword.exeが見つかりませんでした";
const wchar_t kNotFoundNotepad[] = L"メモ帳が見つかりませんでした";
const wchar_t kCopy[] = L"D:\\Copy\\edit.exe";  // a renamed copy of Talvern

TEST_F(Form1Test, ValidConfigurationOpensQuietlyWithoutStartingWord) {
  m.WordPath = kWord;
  m.TextPath = kNotepad;
  form.SaveOnClose = true;
  form.Form_Load();
  EXPECT_FALSE(form.SaveOnClose);
  EXPECT_TRUE(fake.messages.shown.empty());
  EXPECT_TRUE(fake.word.created.empty());
  EXPECT_EQ(form.WordProgId, L"");
  EXPECT_EQ(view.text1, kWord);
  EXPECT_EQ(view.text2, kNotepad);
  EXPECT_EQ(view.caption, L"TALVERN Ver1.20");
  EXPECT_EQ(fake.files.exists_asked, (std::vector<std::wstring>{kWord, kNotepad}));
}

TEST_F(Form1Test, FirstRunDetectsWordAndNotepad) {
  fake.word.installed = true;
  fake.word.folder = L"D:\\Office 2000\\Office";
  fake.files.files[L"D:\\Office 2000\\Office\\Winword.exe"] = "MZ";
  form.Form_Load();
  EXPECT_TRUE(fake.messages.shown.empty());
  EXPECT_EQ(fake.word.created, (std::vector<std::wstring>{L"Word.Application"}));
  EXPECT_EQ(form.WordProgId, L"Word.Application");
  EXPECT_EQ(view.text1, L"D:\\Office 2000\\Office\\Winword.exe");
  EXPECT_EQ(m.WordPath, view.text1);
  EXPECT_EQ(view.text2, kNotepad);
  EXPECT_EQ(m.TextPath, kNotepad);
  EXPECT_TRUE(fake.profile.writes.empty());
}

TEST_F(Form1Test, DetectedFolderGetsExactlyOneSeparator) {
  const struct {
    const wchar_t* folder;
    const wchar_t* path;
  } rows[] = {
      {L"C:\\", L"C:\\Winword.exe"},
      {L"C:\\Office\\", L"C:\\Office\\Winword.exe"},
      {L"\\\\server\\share\\a\\b\\c", L"\\\\server\\share\\a\\b\\c\\Winword.exe"},
  };
  for (const auto& row : rows) {
    FreshForm fresh(fake.platform);
    fake.word.installed = true;
    fake.word.folder = row.folder;
    fake.files.files[row.path] = "MZ";
    fresh.form.Form_Load();
    EXPECT_EQ(fresh.view.text1, row.path) << row.folder;
  }
}

// Word detection failing: what Text1 shows and which message comes, also when Windows
// names a program for opening ".doc" files; Talvern is never kept or filled in.
TEST_F(Form1Test, FailedDetectionKeepsAConfiguredPathAndDefaultsAnEmptyOne) {
  const wchar_t kWriter[] = L"E:\\Apps\\writer.exe";
  const wchar_t kChooser[] = L"C:\\WINDOWS\\System32\\OPENWITH.EXE";
  const std::wstring filled = std::wstring(kNotFoundWord) +
                              L"\r\nWordの場所には、.doc ファイルを開くプログラム writer.exe (" +
                              kWriter + L") を入れました。";
  const struct {
    const wchar_t* configured;
    const wchar_t* doc_program;  // exists unless it is "gone"
    const wchar_t* shown;
    const wchar_t* message;  // null: none
  } rows[] = {
      {L"", L"", kDefaultWord, kNotFoundWord},
      {L"E:\\gone\\WINWORD.EXE", kWriter, L"E:\\gone\\WINWORD.EXE", nullptr},
      {L"", L"C:\\windows\\NOTEPAD.EXE", kDefaultWord, kNotFoundWord},
      {L"", L"E:\\Apps\\gone.exe", kDefaultWord, kNotFoundWord},
      {L"", kWriter, kWriter, filled.c_str()},
      {L"", kChooser, kDefaultWord, kNotFoundWord},
      {L"C:\\Tools\\TALVERN.EXE", kWriter, kWriter, filled.c_str()},
      {L"", kCopy, kDefaultWord, kNotFoundWord},
  };
  for (const auto& row : rows) {
    FakePlatform f;
    f.environment.variables[L"WINDIR"] = L"C:\\WINDOWS";
    for (const wchar_t* file : {kNotepad, kWriter, kChooser, kCopy, L"C:\\Tools\\TALVERN.EXE"}) {
      f.files.files[file] = "MZ";
    }
    f.files.internal_names[kCopy] = f.files.internal_names[L"C:\\Tools\\TALVERN.EXE"] = L"Talvern";
    if (*row.doc_program) f.associations.programs[{L".doc", L"open"}] = {row.doc_program, L""};
    FreshForm fresh(f.platform);
    fresh.module.WordPath = row.configured;
    fresh.module.TextPath = kNotepad;
    fresh.form.Form_Load();
    EXPECT_EQ(f.word.created.size(), 1u) << row.configured;
    EXPECT_EQ(fresh.view.text1, row.shown) << row.configured;
    EXPECT_EQ(fresh.module.WordPath, row.shown);
    if (row.message) {
      ASSERT_EQ(f.messages.shown.size(), 1u);
      EXPECT_EQ(f.messages.shown[0].prompt, row.message);
      EXPECT_EQ(f.messages.shown[0].icon, MsgIcon::kExclamation);
      EXPECT_EQ(f.messages.shown[0].title, L"Talvern");
    } else {
      EXPECT_TRUE(f.messages.shown.empty()) << row.configured;
    }
  }
}

TEST_F(Form1Test, InvalidFlagsAreReportedInOrderAndStillForceDetection) {
  m.WordPath = kWord;  // exists by now, yet the flag makes detection run
  m.TextPath = L"C:\\Editors\\Hidemaru.exe";
  fake.files.files[m.TextPath] = "MZ";
  m.WordPathInvalid = true;
  m.TextPathInvalid = true;
  fake.word.installed = true;
  fake.word.folder = L"C:\\Office2";
  fake.files.files[L"C:\\Office2\\Winword.exe"] = "MZ";
  form.Form_Load();
  ASSERT_EQ(fake.messages.shown.size(), 2u);
  EXPECT_EQ(fake.messages.shown[0].prompt, L"WORDの設定が不正です");
  EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::kCritical);
  EXPECT_EQ(fake.messages.shown[1].prompt, L"TEXTの設定が不正です");
  EXPECT_EQ(fake.messages.shown[1].icon, MsgIcon::kCritical);
  EXPECT_EQ(fake.messages.shown[1].title, L"Talvern");
  EXPECT_TRUE(m.WordPathInvalid);
  EXPECT_TRUE(m.TextPathInvalid);
  EXPECT_EQ(view.text1, L"C:\\Office2\\Winword.exe");
  EXPECT_EQ(view.text2, kNotepad);
  // Both checks ran although the flags alone decided; then the detected Word's.
  EXPECT_EQ(fake.files.exists_asked, (std::vector<std::wstring>{kWord, L"C:\\Editors\\Hidemaru.exe",
                                                                L"C:\\Office2\\Winword.exe"}));
}

TEST_F(Form1Test, OnlyTheFlagThatIsSetIsReported) {
  m.WordPath = kWord;
  m.TextPath = L"C:\\missing.exe";
  m.TextPathInvalid = true;
  form.Form_Load();
  EXPECT_EQ(Prompts(), (std::vector<std::wstring>{L"TEXTの設定が不正です"}));
  EXPECT_TRUE(fake.word.created.empty());
  EXPECT_EQ(view.text1, kWord);
}

TEST_F(Form1Test, MessagesComeBeforeTheBoxesAreFilled) {
  m.WordPathInvalid = true;
  fake.messages.on_show = [this] {
    EXPECT_EQ(view.text1, L"");
    EXPECT_EQ(view.caption, L"TALVERN");
  };
  form.Form_Load();
  EXPECT_EQ(Prompts(), (std::vector<std::wstring>{L"WORDの設定が不正です", kNotFoundWord}));
}

// The Notepad fallback for a missing text editor; D:\Win is GetWindowsDirectoryW's folder.
TEST_F(Form1Test, NotepadFallback) {
  const wchar_t kSystemNotepad[] = L"D:\\Win\\notepad.exe";
  const struct {
    const wchar_t* windir;  // null: not set
    const wchar_t* file;    // file present, null for none
    const wchar_t* shown;
    bool message;
  } rows[] = {
      {L"C:\\WINDOWS", kNotepad, kNotepad, false},
      {L"C:\\WINDOWS\\", kNotepad, kNotepad, false},
      {L"C:\\WINDOWS", nullptr, kNotepad, true},
      {nullptr, nullptr, kSystemNotepad, true},
      {nullptr, kSystemNotepad, kSystemNotepad, false},
      {L"WINDOWS", kSystemNotepad, kSystemNotepad, false},
  };
  for (const auto& row : rows) {
    FakePlatform f;
    f.environment.windows_folder = L"D:\\Win";
    if (row.windir) f.environment.variables[L"WINDIR"] = row.windir;
    if (row.file) f.files.files[row.file] = "MZ";
    f.files.files[kWord] = "MZ";
    FreshForm fresh(f.platform);
    fresh.module.WordPath = kWord;
    fresh.module.TextPath = L"C:\\old\\editor.exe";
    fresh.form.Form_Load();
    const std::wstring label = row.windir ? row.windir : L"(unset)";
    EXPECT_EQ(fresh.view.text2, row.shown) << label;
    EXPECT_EQ(fresh.module.TextPath, row.shown) << label;
    if (row.message) {
      ASSERT_EQ(f.messages.shown.size(), 1u) << label;
      EXPECT_EQ(f.messages.shown[0].prompt, kNotFoundNotepad);
      EXPECT_EQ(f.messages.shown[0].icon, MsgIcon::kExclamation);
    } else {
      EXPECT_TRUE(f.messages.shown.empty()) << label;
    }
  }
}

TEST_F(Form1Test, HiddenNotepadCountsAsMissing) {
  m.WordPath = kWord;
  fake.files.hidden.insert(kNotepad);
  form.Form_Load();
  EXPECT_EQ(Prompts(), (std::vector<std::wstring>{kNotFoundNotepad}));
  EXPECT_EQ(view.text2, kNotepad);
}

// Each browse button asks the dialog the same way and fills only its own box.
TEST_F(Form1Test, BrowseButtonsFillOnlyTheirOwnBox) {
  const struct {
    void (Form1::*click)();
    bool word;
  } rows[] = {{&Form1::cmdWord_Click, true}, {&Form1::cmdText_Click, false}};
  for (const auto& row : rows) {
    view.text1 = L"typed word";
    view.text2 = L"typed text";
    fake.dialog.answers = {L"D:\\Apps\\エディタ.exe"};
    (form.*row.click)();
    EXPECT_EQ(view.text1, row.word ? L"D:\\Apps\\エディタ.exe" : L"typed word");
    EXPECT_EQ(view.text2, row.word ? L"typed text" : L"D:\\Apps\\エディタ.exe");
  }
  ASSERT_EQ(fake.dialog.calls.size(), 2u);
  for (const DialogCall& call : fake.dialog.calls) {
    EXPECT_EQ(call.owner, kHandle);
    EXPECT_EQ(call.filter, L"実行ファイル|*.exe");
    EXPECT_EQ(call.initial_folder, L"");
    EXPECT_EQ(call.choice, FileChoice::kExistingFile);
  }
}

TEST_F(Form1Test, CancelledDialogChangesNothing) {
  for (const wchar_t* before : {L"", L"C:\\x.exe"}) {
    view.text1 = before;
    view.text2 = before;
    form.cmdWord_Click();
    form.cmdText_Click();
    EXPECT_EQ(view.text1, before);
    EXPECT_EQ(view.text2, before);
  }
  EXPECT_EQ(fake.dialog.calls.size(), 4u);
  EXPECT_FALSE(view.closed);
}

TEST_F(Form1Test, RestoreEmptiesBothBoxesAndKeepsTheWindowOpen) {
  view.text1 = kWord;
  view.text2 = kNotepad;
  form.Command2_Click();
  EXPECT_EQ(view.text1, L"");
  EXPECT_EQ(view.text2, L"");
  EXPECT_FALSE(view.closed);
  EXPECT_FALSE(form.SaveOnClose);
  EXPECT_TRUE(fake.word.created.empty());
  EXPECT_TRUE(fake.profile.writes.empty());
}

TEST_F(Form1Test, SaveAndCloseWritesWordThenTextExactlyAsTyped) {
  view.text1 = L" \"C:\\Program Files\\表示\\WINWORD.EXE\" ";
  view.text2 = L"";
  form.Command3_Click();
  EXPECT_TRUE(view.closed);
  using Write = std::tuple<std::wstring, std::wstring, std::wstring>;
  EXPECT_EQ(fake.profile.writes,
            (std::vector<Write>{{L"EXE", L"WORD", L" \"C:\\Program Files\\表示\\WINWORD.EXE\" "},
                                {L"EXE", L"TEXT", L""}}));
  // Read back without the blanks and quotes, as the profile functions give it.
  EXPECT_EQ(Stored(L"WORD"), L"C:\\Program Files\\表示\\WINWORD.EXE");
  EXPECT_TRUE(fake.messages.shown.empty());
  // The shared paths keep what was read or detected.
  EXPECT_EQ(m.WordPath, L"");
}

// Only save-and-close writes; every other way of closing discards the edits.
TEST_F(Form1Test, OnlySaveAndCloseWrites) {
  view.text1 = L"edited";
  form.mnuWordFormats_Click();
  form.Command1_Click();
  EXPECT_TRUE(view.closed);
  view.closed = false;
  view.CloseBox();
  EXPECT_TRUE(view.closed);
  form.Command2_Click();
  view.CloseBox();
  EXPECT_TRUE(fake.profile.writes.empty());
  // Cancel after save-and-close was refused does not save either.
  form.SaveOnClose = true;
  form.Command1_Click();
  EXPECT_TRUE(fake.profile.writes.empty());
}

TEST_F(Form1Test, UnsavableWordPathKeepsTheWindowOpenAndSaysWhy) {
  fake.profile.unstorable = L"한";
  view.text1 = L"C:\\한글\\WINWORD.EXE";
  view.text2 = kNotepad;
  form.Command3_Click();
  EXPECT_FALSE(view.closed);
  EXPECT_FALSE(form.SaveOnClose);
  EXPECT_TRUE(fake.profile.writes.empty());  // TEXT is not written after WORD failed
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].prompt,
            L"WORDの設定を保存できませんでした。\r\n保存先: C:\\Tools\\Data.ini\r\n"
            L"理由: unstorable character");
  EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::kCritical);
  EXPECT_EQ(view.text1, L"C:\\한글\\WINWORD.EXE");
  // The close box now discards instead of trying again.
  view.CloseBox();
  EXPECT_TRUE(view.closed);
  EXPECT_EQ(fake.messages.shown.size(), 1u);
}

// Both boxes hold new values and TEXT cannot be stored: WORD is not written either, and
// the close box then really discards both.
TEST_F(Form1Test, UnsavableTextPathLeavesWordUnchangedToo) {
  fake.WriteSettings(L"C:\\old\\WINWORD.EXE", L"C:\\old\\edit.exe");
  fake.profile.unstorable = L"😀";
  view.text1 = kWord;
  view.text2 = L"C:\\😀.exe";
  form.Command3_Click();
  EXPECT_FALSE(view.closed);
  EXPECT_TRUE(fake.profile.writes.empty());
  EXPECT_EQ(Stored(L"WORD"), L"C:\\old\\WINWORD.EXE");
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].prompt.rfind(L"TEXTの設定を保存できませんでした。\r\n", 0), 0u);
  view.CloseBox();
  EXPECT_TRUE(view.closed);
  EXPECT_EQ(Stored(L"WORD"), L"C:\\old\\WINWORD.EXE");
  EXPECT_EQ(Stored(L"TEXT"), L"C:\\old\\edit.exe");
}

// Save-and-close refuses a path that is not full (as it will be read back) or is Talvern:
// the window stays open, nothing is written. Browsing refuses Talvern too.
TEST_F(Form1Test, SaveAndBrowseRefuseAPathThatIsNotFullOrTalvern) {
  for (const wchar_t* talvern : {kCopy, L"C:\\Tools\\talvern.exe"}) {
    fake.files.files[talvern] = "MZ";
    fake.files.internal_names[talvern] = L"Talvern";
  }
  for (const wchar_t* typed :
       {L" \"notepad.exe\" ", L"C:notepad.exe", L"\\docs\\notepad.exe", kCopy}) {
    view.text2 = typed;
    form.Command3_Click();
    EXPECT_FALSE(view.closed) << typed;
  }
  EXPECT_TRUE(fake.profile.writes.empty());
  ASSERT_EQ(fake.messages.shown.size(), 4u);
  EXPECT_EQ(fake.messages.shown[0].prompt,
            L"TEXTの設定を保存できませんでした。\r\nnotepad.exe はフル パスではありません。\r\n"
            L"Textの場所には、C:\\ や \\\\サーバー名\\ から始まるフル パスを指定してください。");
  fake.dialog.answers = {L"C:\\Tools\\talvern.exe"};
  form.cmdText_Click();
  EXPECT_EQ(view.text2, kCopy);
  EXPECT_EQ(fake.messages.shown.back().prompt,
            L"C:\\Tools\\talvern.exe は Talvern 自身です。\r\n"
            L"Textの場所にはテキスト エディターの実行ファイルを指定してください。");
}

TEST_F(Form1Test, SecondSaveAfterFixingTheBoxGoesThrough) {
  fake.profile.unstorable = L"😀";
  view.text1 = kWord;
  view.text2 = L"C:\\😀.exe";
  form.Command3_Click();
  view.text2 = kNotepad;
  form.Command3_Click();
  EXPECT_TRUE(view.closed);
  EXPECT_EQ(Stored(L"WORD"), kWord);
  EXPECT_EQ(Stored(L"TEXT"), kNotepad);
}

// TEXT's write fails after WORD's went through: WORD gets its old value (or its absence)
// back, and the message says so, or names what could not be put back.
TEST_F(Form1Test, FailedTextWritePutsWordBackAndSaysSo) {
  const struct {
    const char* label;
    bool word_before;
    int writes_allowed;
    const wchar_t* word_after;
    const wchar_t* last_line;
  } rows[] = {
      {"old value back", true, -1, L"C:\\old\\WINWORD.EXE",
       L"WORDの設定は保存前の値に戻しました。"},
      {"absence back", false, -1, nullptr, L"WORDの設定は保存前の値に戻しました。"},
      {"cannot put back", true, 1, kWord, L"元に戻せなかった設定: WORD: write refused"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    FakePlatform f;
    f.WriteSettings(L"C:\\old\\WINWORD.EXE", L"C:\\old\\edit.exe");
    if (!row.word_before) f.profile.values.erase(FakeProfile::MakeKey(kSettings, L"EXE", L"WORD"));
    f.profile.key_failures[L"TEXT"] = L"WritePrivateProfileStringW: 別のプロセスが使用中です。";
    f.profile.writes_allowed = row.writes_allowed;
    FreshForm fresh(f.platform);
    fresh.view.text1 = kWord;
    fresh.view.text2 = kNotepad;
    fresh.form.Command3_Click();
    EXPECT_FALSE(fresh.view.closed);
    EXPECT_EQ(f.profile.Contains(kSettings, L"EXE", L"WORD"), row.word_after != nullptr);
    if (row.word_after) {
      EXPECT_EQ(f.profile.Read(kSettings, L"EXE", L"WORD"), row.word_after);
    }
    EXPECT_EQ(f.profile.Read(kSettings, L"EXE", L"TEXT"), L"C:\\old\\edit.exe");
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].prompt,
              L"TEXTの設定を保存できませんでした。\r\n保存先: C:\\Tools\\Data.ini\r\n"
              L"理由: WritePrivateProfileStringW: 別のプロセスが使用中です。\r\n" +
                  std::wstring(row.last_line));
  }
}

TEST_F(Form1Test, UnwritableSettingsFileKeepsTheWindowOpen) {
  fake.profile.fail_reason = L"WritePrivateProfileStringW: 別のプロセスが使用中です。";
  form.Command3_Click();
  EXPECT_FALSE(view.closed);
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_NE(fake.messages.shown[0].prompt.find(L"理由: WritePrivateProfileStringW: 別のプロセス"),
            std::wstring::npos);
}

// Old values that another program keeps from being read could not be put back: nothing is
// written.
TEST_F(Form1Test, UnreadableSettingsFileIsNotWritten) {
  fake.WriteSettings(kWord, kNotepad);
  const auto before = fake.profile.values;
  fake.profile.read_locks[kSettings] = L"CreateFileW: 別のプロセスが使用中です。";
  form.Command3_Click();
  EXPECT_FALSE(view.closed);
  EXPECT_EQ(fake.profile.values, before);
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(
      fake.messages.shown[0].prompt,
      L"設定ファイルを読み取れないため、設定を保存しませんでした。何も書き込んでいません。\r\n"
      L"しばらくしてから、もう一度保存してください。\r\n保存先: C:\\Tools\\Data.ini\r\n"
      L"理由: CreateFileW: 別のプロセスが使用中です。");
  // A file no other program holds is not worth waiting for.
  fake.profile.lasting_read_errors.insert(kSettings);
  form.Command3_Click();
  EXPECT_EQ(fake.messages.shown.back().prompt.find(L"しばらくしてから"), std::wstring::npos);
  EXPECT_EQ(fake.profile.values, before);
}

TEST_F(Form1Test, ShortcutAndAssociationButtonsReachTheShell) {
  fake.shell.send_to = L"C:\\Users\\u\\SendTo";
  form.Command4_Click();
  EXPECT_EQ(fake.shell.links.count(L"C:\\Users\\u\\SendTo\\TVern.lnk"), 1u);
  form.Command5_Click();
  EXPECT_FALSE(fake.registry.log.empty());
  const std::size_t after_set = fake.registry.log.size();
  form.Command6_Click();
  EXPECT_GT(fake.registry.log.size(), after_set);
  EXPECT_FALSE(view.closed);
}

// The window is made only of the classes the layout knows; any other is refused.
TEST(Form1DesignTest, OnlyTheDesignedClassesHaveAKind) {
  ControlKind kind = ControlKind::kLabel;
  for (const DesignedControl& control : kDesign)
    EXPECT_TRUE(ControlKindOf(control.class_name, &kind));
  EXPECT_TRUE(ControlKindOf(L"BUTTON", &kind) && kind == ControlKind::kButton);
  EXPECT_FALSE(ControlKindOf(L"ComboBox", &kind) || ControlKindOf(L"Buttons", &kind));
}

}  // namespace
}  // namespace talvern
