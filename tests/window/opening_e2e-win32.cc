// Opening the settings window: the messages it shows first, and how it finds Word
// (from its registered local server, or through an automation server in process) and
// Notepad.
#include "tests/window/window_fixture.h"

namespace talvern {
namespace e2e {
namespace {

const wchar_t kDefaultWord[] = L"C:\\Program Files\\Microsoft Office\\Office\\WINWORD.EXE";
const std::string kCompound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

struct Expected {
  const wchar_t* text;
  IconKind icon;
};

class OpeningTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    other_ = std::make_unique<ForegroundWindow>();
  }
  void TearDown() override {
    other_.reset();
    WindowTest::TearDown();
  }

  // Reads the message boxes before the window appears and checks them in order.
  void ExpectMessages(const std::vector<Expected>& expected) {
    for (const Expected& message : expected) {
      HWND box = WaitForMessageBox(run_->pid());
      ASSERT_TRUE(box) << "missing: " << Utf8(message.text);
      ExpectOnItsOwnInFront(box);
      const MessageBoxInfo info = ReadMessageBox(box);
      EXPECT_EQ(Utf8(info.text), Utf8(message.text));
      EXPECT_EQ(info.icon, message.icon) << IconName(info.icon);
      EXPECT_EQ(Utf8(info.caption), Utf8(kTitle));
      // The window is not visible yet: the box is the run's only window.
      EXPECT_EQ(TopLevelWindows(run_->pid()), std::vector<HWND>{box});
      ASSERT_TRUE(DismissMessageBox(box));
    }
  }
  // Another program was in front and the settings window is still hidden: the box has no
  // owner (so it gets a taskbar button), comes to the front and takes the keyboard focus.
  static void ExpectOnItsOwnInFront(HWND box) {
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    for (int i = 0; i < 100 && GetForegroundWindow() != box; ++i) Sleep(20);
    EXPECT_EQ(GetForegroundWindow(), box);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info));
    EXPECT_TRUE(info.hwndFocus && (info.hwndFocus == box || IsChild(box, info.hwndFocus)));
  }
  void ExpectBoxes(const std::wstring& word, const std::wstring& text) {
    ASSERT_TRUE(WaitWindow());
    EXPECT_TRUE(NoMessageFor(200));
    EXPECT_EQ(Utf8(Text(kText1)), Utf8(word));
    EXPECT_EQ(Utf8(Text(kText2)), Utf8(text));
  }

  std::unique_ptr<ForegroundWindow> other_;
};

TEST_F(OpeningTest, FirstRunWithoutWordShowsTheDefaultPath) {
  ASSERT_TRUE(Start());
  ExpectMessages({{L"Winword.exeが見つかりませんでした", IconKind::kExclamation}});
  ExpectBoxes(kDefaultWord, notepad_);
  EXPECT_EQ(DataIni(), "<missing>");  // nothing is written by opening
}

TEST_F(OpeningTest, WithoutWordTheProgramThatOpensDocFilesIsFilledIn) {
  const std::wstring writer = folder_ + L"Writer\\writer.exe";
  ASSERT_TRUE(InstallStandIn(writer));
  // Windows' chooser, where Windows 11 without WordPad sends ".doc" files.
  const std::wstring chooser = L"C:\\windows\\system32\\OpenWith.exe";
  ASSERT_TRUE(InstallStandIn(chooser));
  struct Removed {
    std::wstring file;
    ~Removed() { DeleteFileW(file.c_str()); }
  } removed{chooser};
  const struct {
    std::wstring program;
    std::wstring shown;
  } rows[] = {
      {writer, writer},
      {exe_, kDefaultWord},  // Talvern itself is no Word
      {chooser, kDefaultWord},
  };
  for (const auto& row : rows) {
    ASSERT_TRUE(doc_.Map(L"\"" + row.program + L"\" \"%1\""));
    ASSERT_TRUE(Start());
    const MessageBoxInfo box = NextMessage();
    EXPECT_EQ(box.icon, IconKind::kExclamation) << IconName(box.icon);
    if (row.program == writer) {
      EXPECT_EQ(box.text.rfind(L"Winword.exeが見つかりませんでした\r\nWordの場所には、", 0), 0u)
          << Utf8(box.text);
      EXPECT_NE(box.text.find(L" (" + writer + L") を入れました。"), std::wstring::npos);
    } else {
      EXPECT_EQ(Utf8(box.text), "Winword.exeが見つかりませんでした");
    }
    ExpectBoxes(row.shown, notepad_);
    EXPECT_EQ(DataIni(), "<missing>");
    ASSERT_TRUE(CloseWindowAndWait(window_));
    EXPECT_TRUE(WaitEnded());
  }
}

TEST_F(OpeningTest, FirstRunAsksTheWordServerForItsFolder) {
  const std::wstring office = folder_ + L"Office 2000\\表\\";
  ASSERT_TRUE(WriteBytes(office + L"Winword.exe", "MZ"));  // the Path is checked as dispatch checks
  WordServer server(office, folder_ + L"word.log");
  ASSERT_TRUE(server.ok());
  ASSERT_TRUE(Start());
  ExpectBoxes(office + L"Winword.exe", notepad_);
  EXPECT_EQ(server.Calls(), (std::vector<std::string>{"create", "Path", "Quit", "release"}));
}

// Word registered as a local server is found from its registration and never started:
// the stand-ins record every start. Another suite's program serving the class is no Word.
TEST_F(OpeningTest, FirstRunReadsWordsLocalServerWithoutStartingIt) {
  const std::wstring office = folder_ + L"Microsoft Office\\root\\Office16";
  const std::wstring winword = office + L"\\WINWORD.EXE";
  const std::wstring suite = folder_ + L"Suite\\writer.exe";
  ASSERT_TRUE(InstallStandIn(winword));
  ASSERT_TRUE(InstallStandIn(suite));
  // Quoted with an argument, and unquoted with spaces as older installers wrote it.
  const struct {
    std::wstring command;
    std::wstring word;
  } rows[] = {
      {L"\"" + winword + L"\" /Automation", office + L"\\Winword.exe"},
      {winword + L" /Automation", office + L"\\Winword.exe"},
      {L"\"" + suite + L"\" /Automation", kDefaultWord},
  };
  for (const auto& row : rows) {
    WordServer::Unregister();
    ASSERT_TRUE(WordServer::RegisterLocalServer(row.command));
    ASSERT_TRUE(Start());
    if (row.word == kDefaultWord) {
      EXPECT_EQ(Utf8(NextMessage().text), "Winword.exeが見つかりませんでした");
    }
    ExpectBoxes(row.word, notepad_);
    ASSERT_TRUE(CloseWindowAndWait(window_));
    EXPECT_TRUE(WaitEnded());
    EXPECT_TRUE(ReadRecords({winword, suite}).empty()) << Utf8(row.command);
  }
  WordServer::Unregister();
}

TEST_F(OpeningTest, ValidSettingsOpenQuietlyWithoutStartingWord) {
  WordServer server(L"C:\\Office", folder_ + L"word.log");
  WriteValidSettings();
  ASSERT_TRUE(Open());
  EXPECT_EQ(Utf8(Text(kText1)), Utf8(word_));
  EXPECT_EQ(Utf8(Text(kText2)), Utf8(notepad_));
  EXPECT_TRUE(server.Calls().empty());
}

TEST_F(OpeningTest, MissingConfiguredWordIsKeptWhenDetectionFails) {
  const std::wstring gone = folder_ + L"gone\\WINWORD.EXE";
  ASSERT_TRUE(WriteDataIni(folder_, DataIniBytes(gone, notepad_)));
  ASSERT_TRUE(Start());
  ExpectBoxes(gone, notepad_);
}

TEST_F(OpeningTest, MissingConfiguredWordIsReplacedWhenDetectionWorks) {
  ASSERT_TRUE(WriteBytes(folder_ + L"Office\\Winword.exe", "MZ"));
  WordServer server(folder_ + L"Office", folder_ + L"word.log");
  ASSERT_TRUE(WriteDataIni(folder_, DataIniBytes(folder_ + L"gone.exe", notepad_)));
  ASSERT_TRUE(Start());
  ExpectBoxes(folder_ + L"Office\\Winword.exe", notepad_);
}

TEST_F(OpeningTest, MissingWordSeenByDispatchIsReportedFirst) {
  // A compound document needs Word, whose configured file is gone.
  const std::wstring gone = folder_ + L"gone\\WINWORD.EXE";
  ASSERT_TRUE(WriteDataIni(folder_, DataIniBytes(gone, notepad_)));
  ASSERT_TRUE(WriteBytes(folder_ + L"report.doc", kCompound + "rest"));
  ASSERT_TRUE(Start(folder_ + L"report.doc"));
  ExpectMessages({{L"WORDの設定が不正です", IconKind::kCritical}});
  ExpectBoxes(gone, notepad_);
  ASSERT_TRUE(CloseWindowAndWait(window_));
  EXPECT_TRUE(WaitEnded());
}

TEST_F(OpeningTest, MissingTextEditorSeenByDispatchFallsBackToNotepad) {
  ASSERT_TRUE(WriteDataIni(folder_, DataIniBytes(word_, folder_ + L"gone.exe")));
  ASSERT_TRUE(WriteBytes(folder_ + L"plain.doc", "plain text"));
  ASSERT_TRUE(Start(folder_ + L"plain.doc"));
  ExpectMessages({{L"TEXTの設定が不正です", IconKind::kCritical}});
  ExpectBoxes(word_, notepad_);
}

TEST_F(OpeningTest, NotepadMissingFromTheWindowsFolder) {
  const std::wstring empty_windows = folder_ + L"Windows";
  ASSERT_TRUE(MakeFolders(empty_windows));
  ASSERT_TRUE(WriteDataIni(folder_, DataIniBytes(word_, L"")));
  {
    EnvironmentGuard windir(L"WINDIR", empty_windows.c_str());
    ASSERT_TRUE(Start());
  }
  ExpectMessages({{L"メモ帳が見つかりませんでした", IconKind::kExclamation}});
  ExpectBoxes(word_, empty_windows + L"\\notepad.exe");
}

// Without WINDIR, Notepad is where the system's Windows folder is, never "\notepad.exe".
TEST_F(OpeningTest, WindirUnsetTakesTheSystemsWindowsFolder) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_NE(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  ASSERT_TRUE(WriteDataIni(folder_, DataIniBytes(word_, L"")));
  {
    EnvironmentGuard windir(L"WINDIR", nullptr);
    ASSERT_TRUE(Start());
  }
  ExpectBoxes(word_, std::wstring(windows) + L"\\notepad.exe");
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
