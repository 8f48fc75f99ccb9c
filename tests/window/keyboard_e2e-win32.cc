// The settings window from the keyboard: focus, tab order, access keys, Enter and Esc.
#include "tests/window/window_fixture.h"

namespace talvern {
namespace e2e {
namespace {

class KeyboardTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WriteValidSettings();
    ASSERT_TRUE(Open());
    ASSERT_TRUE(BringToFront(window_));
    before_ = DataIni();
  }
  // Index of the control that has the focus, -1 for none of them.
  int Focused() {
    HWND focus = nullptr;
    for (int i = 0; i < 50; ++i) {  // the target may still be handling the last key
      focus = FocusedControl(window_);
      if (focus) break;
      Sleep(20);
    }
    const std::vector<Control> controls = Controls();
    for (std::size_t i = 0; i != controls.size(); ++i) {
      if (controls[i].hwnd == focus) return static_cast<int>(i);
    }
    return -1;
  }
  bool CancelFileDialog() {
    HWND dialog = WaitFileDialog();
    return dialog && CancelDialog(dialog);
  }

  std::string before_;
};

TEST_F(KeyboardTest, FocusStartsInText1AndTabCyclesInOrder) {
  EXPECT_EQ(Focused(), kText1);
  const int forward[] = {kText2,    kCmdWord,  kCmdText,  kCommand1, kCommand2,
                         kCommand3, kCommand4, kCommand5, kCommand6, kText1};
  for (int expected : forward) {
    ASSERT_TRUE(SendChord(window_, {VK_TAB}));
    EXPECT_EQ(Focused(), expected);
  }
  for (int i = static_cast<int>(std::size(forward)) - 2; i >= -1; --i) {
    ASSERT_TRUE(SendChord(window_, {VK_SHIFT, VK_TAB}));
    EXPECT_EQ(Focused(), i >= 0 ? forward[i] : kText1);
  }
}

// Enter in a box and Esc anywhere press nothing; Enter on a button presses it, as Space does.
TEST_F(KeyboardTest, EnterPressesOnlyAFocusedButtonAndEscNothing) {
  TypeInto(kText1, L"C:\\typed.exe");
  for (WORD key : {VK_RETURN, VK_ESCAPE}) {
    ASSERT_TRUE(SendChord(window_, {key}));
    ASSERT_TRUE(SendChord(window_, {VK_TAB}));  // and from the second box
    ASSERT_TRUE(SendChord(window_, {key}));
    ASSERT_TRUE(SendChord(window_, {VK_SHIFT, VK_TAB}));
  }
  ASSERT_TRUE(SendChord(window_, {VK_TAB}));
  ASSERT_TRUE(SendChord(window_, {VK_TAB}));  // a button
  ASSERT_TRUE(SendChord(window_, {VK_ESCAPE}));
  EXPECT_TRUE(NoMessageFor(300));
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(Utf8(Text(kText1)), "C:\\typed.exe");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(SendChord(window_, {VK_TAB}));
  ASSERT_EQ(Focused(), kCommand2);
  ASSERT_TRUE(SendChord(window_, {VK_RETURN}));  // restore: both boxes emptied
  for (int i = 0; i < 50 && !Text(kText1).empty(); ++i) Sleep(20);
  EXPECT_EQ(Utf8(Text(kText1) + Text(kText2)), "");
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(DataIni(), before_);
}

TEST_F(KeyboardTest, AltWAndAltTBrowseForTheirOwnBox) {
  const std::wstring chosen = folder_ + L"Editor.exe";
  ASSERT_TRUE(InstallStandIn(chosen));
  ASSERT_TRUE(SendChord(window_, {VK_MENU, 'W'}));
  HWND dialog = WaitFileDialog();
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(ChooseInDialog(dialog, chosen));
  for (int i = 0; i < 100 && Text(kText1) != chosen; ++i) Sleep(20);
  EXPECT_EQ(Utf8(Text(kText1)), Utf8(chosen));
  EXPECT_EQ(Utf8(Text(kText2)), Utf8(notepad_));

  ASSERT_TRUE(SendChord(window_, {VK_MENU, 'T'}));
  dialog = WaitFileDialog();
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(ChooseInDialog(dialog, word_));
  for (int i = 0; i < 100 && Text(kText2) != word_; ++i) Sleep(20);
  EXPECT_EQ(Utf8(Text(kText2)), Utf8(word_));
  EXPECT_EQ(Utf8(Text(kText1)), Utf8(chosen));
}

TEST_F(KeyboardTest, AltRPressesNothing) {
  ASSERT_TRUE(SendChord(window_, {VK_MENU, 'R'}));
  EXPECT_TRUE(NoMessageFor(300));
  EXPECT_EQ(Utf8(Text(kText1)), Utf8(word_)) << "restore must have no access key";
  EXPECT_TRUE(IsWindow(window_));
}

TEST_F(KeyboardTest, AltCCancels) {
  TypeInto(kText1, L"C:\\discarded.exe");
  ASSERT_TRUE(SendChord(window_, {VK_MENU, 'C'}));
  EXPECT_TRUE(WaitDestroyed(window_));
  EXPECT_TRUE(WaitEnded());
  EXPECT_EQ(DataIni(), before_);
}

TEST_F(KeyboardTest, AltQSavesAndCloses) {
  TypeInto(kText2, L"C:\\Editors\\秀丸\\Hidemaru.exe");
  ASSERT_TRUE(SendChord(window_, {VK_MENU, 'Q'}));
  EXPECT_TRUE(WaitDestroyed(window_));
  EXPECT_TRUE(WaitEnded());
  EXPECT_EQ(DataIni(), DataIniBytes(word_, L"C:\\Editors\\秀丸\\Hidemaru.exe"));
}

// A button's command as the window receives it, without the focus moving to the button.
void Command(HWND window, HWND button) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

TEST_F(KeyboardTest, FocusComesBackAfterTheFileDialogAndAMessageBox) {
  ASSERT_TRUE(SendChord(window_, {VK_TAB}));
  ASSERT_EQ(Focused(), kText2);
  Command(window_, ControlAt(kCmdWord));
  ASSERT_TRUE(CancelFileDialog());
  EXPECT_EQ(Focused(), kText2);
  ASSERT_TRUE(SendChord(window_, {VK_END}));
  ASSERT_TRUE(TypeText(window_, L"c"));
  EXPECT_EQ(Utf8(Text(kText2)), Utf8(notepad_ + L"c"));

  TypeInto(kText1, L"C:\\한글\\WINWORD.EXE");  // the settings file cannot hold it
  Command(window_, ControlAt(kCommand3));
  const MessageBoxInfo box = NextMessage();
  ASSERT_TRUE(box.hwnd);
  EXPECT_EQ(box.icon, IconKind::kCritical);
  EXPECT_EQ(Focused(), kText1);
  ASSERT_TRUE(TypeText(window_, L"c"));
  EXPECT_EQ(Utf8(Text(kText1)), Utf8(L"C:\\한글\\WINWORD.EXEc"));
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(DataIni(), before_);
}

TEST_F(KeyboardTest, PlainLettersNeverPressAButton) {
  // Alt+W clicks the browse button, which takes the focus, as a click does.
  ASSERT_TRUE(SendChord(window_, {VK_MENU, 'W'}));
  ASSERT_TRUE(CancelFileDialog());
  EXPECT_EQ(Focused(), kCmdWord);
  // "c", "q" and "t" are access keys only with Alt.
  ASSERT_TRUE(TypeText(window_, L"cqtw"));
  EXPECT_TRUE(NoMessageFor(300));
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(Focused(), kCmdWord);
  EXPECT_EQ(Utf8(Text(kText1)), Utf8(word_));
  EXPECT_EQ(DataIni(), before_);
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
