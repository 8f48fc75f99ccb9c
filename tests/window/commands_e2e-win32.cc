// The settings window's commands: browse, restore, cancel, the close box, save and close,
// and saving that fails.
#include "tests/window/window_fixture.h"

namespace talvern {
namespace e2e {
namespace {

class CommandsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WriteValidSettings();
    before_ = DataIni();
  }

  std::string before_;
};

TEST_F(CommandsTest, BrowseFillsOnlyItsOwnBox) {
  ASSERT_TRUE(Open());
  const std::wstring chosen = folder_ + L"ソフト 表\\Editor.exe";
  ASSERT_TRUE(InstallStandIn(chosen));
  const struct {
    int button, box, other;
  } rows[] = {{kCmdWord, kText1, kText2}, {kCmdText, kText2, kText1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.button);
    TypeInto(row.box, L"typed first");
    const std::wstring other = Text(row.other);
    ClickButton(ControlAt(row.button));
    HWND dialog = WaitFileDialog();
    ASSERT_TRUE(dialog);
    // One filter entry, for executables.
    HWND types = GetDlgItem(dialog, kFileTypeCombo);
    ASSERT_TRUE(types);
    EXPECT_EQ(SendMessageW(types, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(Utf8(WindowText(types)), Utf8(L"実行ファイル"));
    ASSERT_TRUE(ChooseInDialog(dialog, chosen));
    for (int i = 0; i < 100 && Text(row.box) != chosen; ++i) Sleep(20);
    EXPECT_EQ(Utf8(Text(row.box)), Utf8(chosen));
    EXPECT_EQ(Utf8(Text(row.other)), Utf8(other));
  }
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(DataIni(), before_);
  // The folder chosen from is not kept busy as the program's current folder.
  EXPECT_TRUE(DeleteFileW(chosen.c_str()));
  EXPECT_TRUE(RemoveDirectoryW((folder_ + L"ソフト 表").c_str())) << GetLastError();
}

TEST_F(CommandsTest, CancelledDialogChangesNothing) {
  ASSERT_TRUE(Open());
  TypeInto(kText2, L"");
  for (int button : {kCmdWord, kCmdText}) {
    ClickButton(ControlAt(button));
    HWND dialog = WaitFileDialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(CancelDialog(dialog));
  }
  Sleep(100);
  EXPECT_EQ(Utf8(Text(kText1)), Utf8(word_));
  EXPECT_EQ(Text(kText2), L"");
}

// DLLs named like those it loads late, lying beside talvern.exe (a Downloads folder), are
// never loaded: not by the window, nor by the open-file dialog.
TEST_F(CommandsTest, DllsBesideTheProgramAreNeverLoaded) {
  const std::vector<std::wstring> dlls = {L"user32",   L"gdi32",   L"comdlg32", L"ole32",
                                          L"oleaut32", L"shell32", L"advapi32", L"uxtheme",
                                          L"shlwapi",  L"version"};
  PlantedDlls planted(folder_, dlls);
  ASSERT_TRUE(planted.ok());
  const bool opened = Open() != nullptr;
  if (opened) {
    ClickButton(ControlAt(kCmdWord));
    HWND dialog = WaitFileDialog();
    EXPECT_TRUE(dialog && CancelDialog(dialog));
    EXPECT_TRUE(CloseWindowAndWait(window_));
  }
  EXPECT_EQ(planted.Loaded(), std::vector<std::wstring>());
}

TEST_F(CommandsTest, CancelAndTheCloseBoxDiscardEdits) {
  for (const auto& way : kLeaveWithoutSaving) {
    SCOPED_TRACE(way.how);
    ASSERT_TRUE(Open());
    TypeInto(kText1, L"C:\\edited\\WINWORD.EXE");
    ClickButton(ControlAt(kCommand2));  // restore, too, is an edit
    way.close(window_, ControlAt(kCommand1));
    EXPECT_TRUE(WaitDestroyed(window_));
    EXPECT_TRUE(WaitEnded());
    EXPECT_EQ(DataIni(), before_);
  }
}

TEST_F(CommandsTest, RestoreThenSaveWritesEmptyPathsAndTheNextOpeningDetectsAgain) {
  ASSERT_TRUE(Open());
  ClickButton(ControlAt(kCommand2));
  for (int i = 0; i < 100 && !Text(kText1).empty(); ++i) Sleep(20);
  EXPECT_EQ(Text(kText1), L"");
  EXPECT_EQ(Text(kText2), L"");
  EXPECT_TRUE(IsWindow(window_));
  ASSERT_TRUE(PressAndWaitClosed(kCommand3));
  ASSERT_TRUE(WaitEnded());
  EXPECT_EQ(DataIni(), "[EXE]\r\nWORD=\r\nTEXT=\r\n");

  const std::wstring office = folder_ + L"Office 表\\Office";
  ASSERT_TRUE(WriteBytes(office + L"\\Winword.exe", "MZ"));
  WordServer server(office, folder_ + L"word.log");
  ASSERT_TRUE(server.ok());
  ASSERT_TRUE(Open());
  EXPECT_EQ(Utf8(Text(kText1)), Utf8(office + L"\\Winword.exe"));
  EXPECT_EQ(Utf8(Text(kText2)), Utf8(notepad_));
}

TEST_F(CommandsTest, TypedPathsAreSavedExactlyAsTyped) {
  ASSERT_TRUE(Open());
  // Japanese, characters whose second byte is "\", spaces and quotes, a missing file.
  const std::wstring word = L"\"D:\\ソフト 2\\表計算\\WINWORD.EXE\"";
  const std::wstring text = L"C:\\エディタ\\能書き.exe";
  TypeInto(kText1, word);
  TypeInto(kText2, text);
  ASSERT_EQ(Text(kText1), word);
  ASSERT_TRUE(PressAndWaitClosed(kCommand3));
  ASSERT_TRUE(WaitEnded());
  EXPECT_EQ(DataIni(), DataIniBytes(word, text));
}

// Both boxes hold new values; TEXT cannot be stored, so WORD is not written either.
TEST_F(CommandsTest, PathOutsideTheCodePageIsRefusedAndTheWindowStaysOpen) {
  ASSERT_TRUE(Open());
  TypeInto(kText1, L"C:\\new\\WINWORD.EXE");
  TypeInto(kText2, L"C:\\편집기\\edit.exe");
  ClickButton(ControlAt(kCommand3));
  const MessageBoxInfo box = NextMessage();
  ASSERT_TRUE(box.hwnd);
  EXPECT_EQ(Utf8(box.caption), Utf8(kTitle));
  EXPECT_EQ(box.icon, IconKind::kCritical);
  EXPECT_EQ(box.text.rfind(L"TEXTの設定を保存できませんでした。\r\n", 0), 0u) << Utf8(box.text);
  EXPECT_NE(box.text.find(folder_ + L"Data.ini"), std::wstring::npos) << Utf8(box.text);
  EXPECT_TRUE(NoMessageFor(200));
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(Utf8(Text(kText2)), Utf8(L"C:\\편집기\\edit.exe"));
  // The close box now discards; nothing reached the file.
  ASSERT_TRUE(CloseWindowAndWait(window_));
  EXPECT_TRUE(WaitEnded());
  EXPECT_EQ(DataIni(), before_);
}

// Old values that cannot be read could not be put back, so nothing is written.
TEST_F(CommandsTest, LockedSettingsFileIsReportedAndTheWindowStaysOpen) {
  ASSERT_TRUE(Open());
  TypeInto(kText1, L"C:\\new\\WINWORD.EXE");
  // Another program holds Data.ini open without sharing it.
  HANDLE held = CreateFileW((folder_ + L"Data.ini").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ClickButton(ControlAt(kCommand3));
  const MessageBoxInfo box = NextMessage();
  CloseHandle(held);
  ASSERT_TRUE(box.hwnd);
  EXPECT_EQ(box.icon, IconKind::kCritical);
  EXPECT_EQ(box.text.rfind(L"設定ファイルを読み取れないため、設定を保存しませんでした。", 0), 0u)
      << Utf8(box.text);
  EXPECT_NE(box.text.find(L"理由: CreateFileW: "), std::wstring::npos) << Utf8(box.text);
  EXPECT_NE(box.text.find(L"しばらくしてから"), std::wstring::npos) << Utf8(box.text);  // passes
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(DataIni(), before_);
  // Once the file is free, saving works and closes the window.
  ASSERT_TRUE(PressAndWaitClosed(kCommand3));
  EXPECT_TRUE(WaitEnded());
  EXPECT_EQ(DataIni(), DataIniBytes(L"C:\\new\\WINWORD.EXE", notepad_));
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
