#include "launcher/module1.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_platform.h"

namespace talvern {
namespace {

const std::string kCompound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

class MainTest : public ::testing::Test {
 protected:
  MainTest() {
    fake.files.files[L"C:\\Office\\WINWORD.EXE"] = "MZ";
    fake.files.files[L"C:\\Windows\\notepad.exe"] = "MZ";
    fake.window.on_show = [this] {
      word_invalid_when_shown = m.WordPathInvalid;
      text_invalid_when_shown = m.TextPathInvalid;
    };
  }
  void Run(const std::wstring& arguments) { Main(m, fake.platform, arguments); }
  std::vector<std::wstring> Started() {
    std::vector<std::wstring> lines;
    for (const StartedProcess& p : fake.processes.started) lines.push_back(p.command_line);
    return lines;
  }

  Module1 m;
  FakePlatform fake;  // the executable is C:\Tools\talvern.exe
  bool word_invalid_when_shown = false;
  bool text_invalid_when_shown = false;
};

TEST_F(MainTest, SignatureTableAndSettingsAreReadInEveryRun) {
  Run(L"");
  EXPECT_EQ(m.SignatureText, L"D0 CF 11 E0 A1 B1 1A E1");
  EXPECT_EQ(m.SignatureBytes,
            (std::vector<std::wstring>{L"D0", L"CF", L"11", L"E0", L"A1", L"B1", L"1A", L"E1"}));
  EXPECT_EQ(m.WordPath, L"");
  EXPECT_FALSE(fake.files.files.count(L"C:\\Tools\\Data.ini"));
}

// Arguments, whether Data.ini exists (or is held unreadable), and whether the window opens.
TEST_F(MainTest, ModeTest) {
  const struct {
    const wchar_t* arguments;
    bool settings_file;
    bool window;
    bool held = false;
  } rows[] = {
      {L"", true, true},           {L"", false, true},       {L"C:\\a.doc", false, true},
      {L"C:\\a.doc", true, false}, {L"", true, false, true},
  };
  for (const auto& row : rows) {
    FakePlatform run;
    run.files.files[L"C:\\a.doc"] = "text";
    run.files.files[L"C:\\Windows\\notepad.exe"] = "MZ";
    if (row.settings_file) run.WriteSettings(L"", L"C:\\Windows\\notepad.exe");
    if (row.held) run.profile.read_locks[L"C:\\Tools\\Data.ini"] = L"CreateFileW: in use";
    Module1 state;
    Main(state, run.platform, row.arguments);
    EXPECT_EQ(run.window.shown, row.window ? 1 : 0) << row.arguments << row.settings_file;
    EXPECT_EQ(run.processes.started.size(), row.window || row.held ? 0u : 1u);
    // The settings file is looked for in every run, with or without arguments.
    EXPECT_EQ(run.files.exists_asked.front(), L"C:\\Tools\\Data.ini");
    EXPECT_FALSE(state.WordPathInvalid || state.TextPathInvalid);
    EXPECT_EQ(run.messages.shown.size(), row.held ? 1u : 0u);  // it says why, and no more
  }
}

TEST_F(MainTest, SettingsModeOpensNoDocumentEvenAfterASave) {
  fake.files.files[L"C:\\a.doc"] = "text";
  fake.window.on_show = [this] {
    fake.profile.Write(L"C:\\Tools\\Data.ini", L"EXE", L"TEXT", L"C:\\Windows\\notepad.exe",
                       nullptr);
  };
  Run(L"C:\\a.doc");
  EXPECT_EQ(fake.window.shown, 1);
  EXPECT_TRUE(fake.processes.started.empty());
}

TEST_F(MainTest, DocumentsAreDispatchedInOrder) {
  fake.WriteSettings(L"C:\\Office\\WINWORD.EXE", L"C:\\Windows\\notepad.exe");
  fake.files.files[L"C:\\My Docs\\a b.doc"] = kCompound;
  fake.files.files[L"D:\\plain.doc"] = "plain";
  fake.files.files[L"\\\\srv\\s\\c.doc"] = kCompound;
  Run(L"C:\\My Docs\\a b.doc D:\\plain.doc \\\\srv\\s\\c.doc");
  EXPECT_EQ(Started(),
            (std::vector<std::wstring>{L"\"C:\\Office\\WINWORD.EXE\" \"C:\\My Docs\\a b.doc\"",
                                       L"\"C:\\Windows\\notepad.exe\" \"D:\\plain.doc\"",
                                       L"\"C:\\Office\\WINWORD.EXE\" \"\\\\srv\\s\\c.doc\""}));
  EXPECT_EQ(fake.window.shown, 0);
}

// An empty document names no file: no message, nothing started, the others still open.
TEST_F(MainTest, EmptyDocumentsAreSkippedQuietly) {
  fake.WriteSettings(L"C:\\Office\\WINWORD.EXE", L"C:\\Windows\\notepad.exe");
  fake.files.files[L"C:\\a.doc"] = "text";
  for (const wchar_t* arguments :
       {L"\"\"", L"\"", L"\" \"", L"\"\" C:\\a.doc", L"\"C:\\a.doc\"  \"\""}) {
    fake.processes.started.clear();
    Run(arguments);
    const bool names_a = std::wstring(arguments).find(L"a.doc") != std::wstring::npos;
    EXPECT_EQ(Started().size(), names_a ? 1u : 0u) << arguments;
  }
  EXPECT_TRUE(fake.messages.shown.empty());
  EXPECT_EQ(fake.window.shown, 0);
}

TEST_F(MainTest, MissingTextEditorStopsTheRunAtThatDocument) {
  fake.WriteSettings(L"C:\\Office\\WINWORD.EXE", L"C:\\nowhere\\editor.exe");
  fake.files.files[L"C:\\1.doc"] = kCompound;
  fake.files.files[L"C:\\2.doc"] = "text";
  fake.files.files[L"C:\\3.doc"] = kCompound;
  Run(L"C:\\1.doc C:\\2.doc C:\\3.doc");
  EXPECT_EQ(Started(), (std::vector<std::wstring>{L"\"C:\\Office\\WINWORD.EXE\" \"C:\\1.doc\""}));
  EXPECT_EQ(fake.window.shown, 1);
  EXPECT_TRUE(text_invalid_when_shown);
  EXPECT_FALSE(word_invalid_when_shown);
  EXPECT_EQ(fake.files.bytes_read.count(L"C:\\3.doc"), 0u);
}

TEST_F(MainTest, MissingWordKeyLetsTextDocumentsThroughFirst) {
  fake.WriteSettings(L"", L"C:\\Windows\\notepad.exe");
  fake.files.files[L"C:\\1.txt"] = "text";
  fake.files.files[L"C:\\2.doc"] = kCompound;
  Run(L"C:\\1.txt C:\\2.doc");
  EXPECT_EQ(Started(), (std::vector<std::wstring>{L"\"C:\\Windows\\notepad.exe\" \"C:\\1.txt\""}));
  EXPECT_TRUE(word_invalid_when_shown);
}

TEST_F(MainTest, UnreadableDocumentDoesNotStopTheOthers) {
  fake.WriteSettings(L"C:\\Office\\WINWORD.EXE", L"C:\\Windows\\notepad.exe");
  fake.files.files[L"C:\\b.doc"] = "text";
  Run(L"C:\\missing.doc C:\\b.doc");
  EXPECT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(Started(), (std::vector<std::wstring>{L"\"C:\\Windows\\notepad.exe\" \"C:\\b.doc\""}));
}

// The value of [OPTION] WORDFORMATS (null: no such key) and where an RTF document goes.
TEST_F(MainTest, OnlyWordFormatsOneSendsTheOtherFormatsToWord) {
  const struct {
    const wchar_t* value;
    bool on;
  } rows[] = {
      {nullptr, false}, {L"1", true},   {L"0", false},  {L"", false},
      {L"yes", false},  {L"01", false}, {L"on", false}, {L"2", false},
  };
  for (const auto& row : rows) {
    const std::wstring label = row.value ? row.value : L"(none)";
    FakePlatform run;
    run.files.files[L"C:\\Office\\WINWORD.EXE"] = "MZ";
    run.files.files[L"C:\\Windows\\notepad.exe"] = "MZ";
    run.files.files[L"C:\\a.doc"] = "{\\rtf1 Hello}";
    run.WriteSettings(L"C:\\Office\\WINWORD.EXE", L"C:\\Windows\\notepad.exe");
    if (row.value) {
      run.profile.values[FakeProfile::MakeKey(L"C:\\Tools\\Data.ini", L"OPTION", L"WORDFORMATS")] =
          row.value;
    }
    Module1 state;
    Main(state, run.platform, L"C:\\a.doc");
    EXPECT_EQ(state.WordFormats, row.on) << label;
    ASSERT_EQ(run.processes.started.size(), 1u) << label;
    EXPECT_EQ(run.processes.started[0].application,
              row.on ? L"C:\\Office\\WINWORD.EXE" : L"C:\\Windows\\notepad.exe")
        << label;
  }
}

TEST_F(MainTest, ExecutableInADriveRootFindsItsSettings) {
  FakePlatform root(L"E:\\talvern.exe");
  root.files.files[L"E:\\a.doc"] = "text";
  root.files.files[L"C:\\Windows\\notepad.exe"] = "MZ";
  root.WriteSettings(L"", L"C:\\Windows\\notepad.exe");
  Module1 state;
  Main(state, root.platform, L"E:\\a.doc");
  EXPECT_EQ(root.files.exists_asked.front(), L"E:\\Data.ini");
  EXPECT_EQ(root.processes.started.size(), 1u);
}

TEST(BrowseForExecutableTest, FailingDialogIsReportedAndCountsAsNoChoice) {
  FakePlatform fake;
  fake.dialog.failure = L"GetOpenFileNameW: CommDlgExtendedError 0x3003";
  EXPECT_EQ(BrowseForExecutable(fake.platform, nullptr, L""), L"1");
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::kCritical);
  EXPECT_EQ(
      fake.messages.shown[0].prompt,
      L"ファイルを選ぶ画面を開けませんでした。\r\nGetOpenFileNameW: CommDlgExtendedError 0x3003");
}

TEST(BrowseForExecutableTest, FilterFlagsAndNoChoiceMarker) {
  FakePlatform fake;
  int owner = 0;
  fake.dialog.answers = {L"C:\\Apps\\editor.exe", L""};
  EXPECT_EQ(BrowseForExecutable(fake.platform, &owner, L""), L"C:\\Apps\\editor.exe");
  EXPECT_EQ(BrowseForExecutable(fake.platform, &owner, L""), L"1");
  ASSERT_EQ(fake.dialog.calls.size(), 2u);
  EXPECT_EQ(fake.dialog.calls[0].filter, L"実行ファイル|*.exe");
  EXPECT_EQ(fake.dialog.calls[0].choice, FileChoice::kExistingFile);
  EXPECT_EQ(fake.dialog.calls[0].initial_folder, L"");
  EXPECT_EQ(fake.dialog.calls[0].owner, &owner);
}

}  // namespace
}  // namespace talvern
