// The system menu's own items: the option that sends the other formats Word opens to Word,
// kept in Data.ini like the paths, the document tester and the version information.
#include "tests/window/window_fixture.h"

namespace talvern {
namespace e2e {
namespace {

const wchar_t kWordFormatsItem[] = L"Word で開ける形式も Word で開く";
const wchar_t kAboutItem[] = L"バージョン情報";
const wchar_t kTryDocumentItem[] = L"文書を判別してみる(&T)...";

class SystemMenuTest : public WindowTest {
 protected:
  std::vector<MenuItem> Items() {
    std::vector<MenuItem> items;
    std::wstring error;
    EXPECT_TRUE(SystemMenuItems(window_, &items, &error)) << Utf8(error);
    return items;
  }
  /// The item with `text`; a test failure and an empty item when there is none.
  MenuItem Item(const std::wstring& text) {
    for (const MenuItem& item : Items()) {
      if (item.text == text) return item;
    }
    ADD_FAILURE() << "no system menu item " << Utf8(text);
    return MenuItem();
  }
  /// Chooses the item as the menu does, with WM_SYSCOMMAND and its id.
  void Choose(const std::wstring& text) {
    const MenuItem item = Item(text);
    ASSERT_NE(item.id, 0u);
    PostMessageW(window_, WM_SYSCOMMAND, item.id, 0);
  }
  /// WORDFORMATS of section OPTION in Data.ini as the profile functions read it, or
  /// "<none>".
  std::wstring StoredOption() const {
    wchar_t value[64];
    GetPrivateProfileStringW(L"OPTION", L"WORDFORMATS", L"<none>", value, 64,
                             (folder_ + L"Data.ini").c_str());
    return value;
  }
  /// Writes Data.ini with valid paths and the option line `word_formats`.
  void WriteSettingsWithOption(const char* word_formats) {
    ASSERT_TRUE(WriteDataIni(folder_, DataIniBytes(word_, notepad_) +
                                          "[OPTION]\r\nWORDFORMATS=" + word_formats + "\r\n"));
  }
};

TEST_F(SystemMenuTest, OptionTesterAndVersionFollowTheSystemItemsBehindASeparator) {
  WriteValidSettings();
  ASSERT_TRUE(Open());
  const std::vector<MenuItem> items = Items();
  ASSERT_GE(items.size(), 5u);
  const std::size_t n = items.size();
  EXPECT_TRUE(items[n - 4].separator);
  EXPECT_EQ(Utf8(items[n - 3].text), Utf8(kWordFormatsItem));
  EXPECT_FALSE(items[n - 3].checked);
  EXPECT_TRUE(items[n - 3].enabled);
  EXPECT_EQ(Utf8(items[n - 2].text), Utf8(kTryDocumentItem));
  EXPECT_TRUE(items[n - 2].enabled);
  EXPECT_EQ(Utf8(items[n - 1].text), Utf8(kAboutItem));
  EXPECT_TRUE(items[n - 1].enabled);
  bool close = false;
  for (const MenuItem& item : items) {
    const UINT command = item.id & 0xFFF0;
    EXPECT_TRUE(command != SC_SIZE && command != SC_MINIMIZE && command != SC_MAXIMIZE &&
                command != SC_RESTORE)
        << Utf8(item.text);
    close = close || command == SC_CLOSE;
  }
  EXPECT_TRUE(close);
}

TEST_F(SystemMenuTest, CheckMarkRoundTripsThroughDataIni) {
  WriteValidSettings();
  const struct {
    bool checked_at_opening;
    const wchar_t* saved;
  } rounds[] = {{false, L"1"}, {true, L"0"}, {false, L"1"}};
  for (const auto& round : rounds) {
    SCOPED_TRACE(Utf8(round.saved));
    ASSERT_TRUE(Open());
    EXPECT_EQ(Item(kWordFormatsItem).checked, round.checked_at_opening);
    Choose(kWordFormatsItem);
    EXPECT_EQ(Item(kWordFormatsItem).checked, !round.checked_at_opening);
    ASSERT_TRUE(PressAndWaitClosed(kCommand3));
    ASSERT_TRUE(WaitEnded());
    EXPECT_EQ(Utf8(StoredOption()), Utf8(round.saved));
  }
  // The paths were saved as before, the option after them.
  std::string expected = DataIniBytes(word_, notepad_);
  EXPECT_EQ(DataIni().substr(0, expected.size()), expected);
}

TEST_F(SystemMenuTest, CancelAndTheCloseBoxDiscardTheCheckMark) {
  for (const char* stored : {"1", "0"}) {
    WriteSettingsWithOption(stored);
    const std::string before = DataIni();
    for (const auto& way : kLeaveWithoutSaving) {
      SCOPED_TRACE(std::string(way.how) + ", stored " + stored);
      ASSERT_TRUE(Open());
      EXPECT_EQ(Item(kWordFormatsItem).checked, stored[0] == '1');
      Choose(kWordFormatsItem);
      EXPECT_EQ(Item(kWordFormatsItem).checked, stored[0] != '1');
      way.close(window_, ControlAt(kCommand1));
      EXPECT_TRUE(WaitDestroyed(window_));
      EXPECT_TRUE(WaitEnded());
      EXPECT_EQ(DataIni(), before);
    }
  }
}

// The message shows the values the version resource of talvern.exe carries.
TEST_F(SystemMenuTest, VersionInformationShowsProductVersionAndCopyright) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe_.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(exe_.c_str(), 0, size, &data[0]));
  auto value = [&data](const wchar_t* name) {
    wchar_t* text = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
    return VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)
               ? std::wstring(text)
               : std::wstring(L"<missing>");
  };
  WriteValidSettings();
  ASSERT_TRUE(Open());
  Choose(kAboutItem);
  const MessageBoxInfo box = NextMessage();
  ASSERT_TRUE(box.hwnd);
  EXPECT_EQ(Utf8(box.text), Utf8(value(L"ProductName") + L"\r\nバージョン " +
                                 value(L"FileVersion") + L"\r\n" + value(L"LegalCopyright")));
  EXPECT_EQ(box.icon, IconKind::kInformation);
  EXPECT_EQ(Utf8(box.caption), Utf8(kTitle));
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_FALSE(Item(kWordFormatsItem).checked);
}

// A web page saved as .doc, tried with the window's settings as they stand, unsaved: the
// boxes' text and the check mark decide, and the dialog opens where the last one was.
// Word's path pasted with quotes ("Copy as path") is judged as it will be read back: the
// tester names Word, the save keeps it and dispatch starts it.
TEST_F(SystemMenuTest, TesterSaysWhereAChosenDocumentGoesAndWhy) {
  WriteValidSettings();
  const std::string before = DataIni();
  const std::wstring page = folder_ + L"ウェブ 表.doc";
  ASSERT_TRUE(WriteBytes(page, "<!DOCTYPE html>\r\n<html><body>report</body></html>\r\n"));
  const std::wstring seen = page + L"\r\n先頭のバイト: 3C 21 44 4F 43 54 59 50 … → Web ページ\r\n";
  ASSERT_TRUE(Open());
  const std::wstring answers[] = {
      seen + L"テキスト エディターで開きます: " + notepad_ +
          L"\r\n[Word で開ける形式も Word で開く] をオンにすると Word で開きます",
      seen + L"Word で開きます: " + word_ +
          L"\r\n[Word で開ける形式も Word で開く] をオフにするとテキスト エディターで開きます",
  };
  for (int round = 0; round != 2; ++round) {
    if (round == 1) {  // the check mark flipped and Word's box pasted, unsaved
      Choose(kWordFormatsItem);
      TypeInto(kText1, L"\"" + word_ + L"\"");
    }
    Choose(kTryDocumentItem);
    HWND dialog = WaitFileDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(Utf8(WindowText(GetDlgItem(dialog, kFileTypeCombo))),
              Utf8(L"すべてのファイル (*.*)"));
    // The second time the bare name is found in the folder the dialog opened in.
    ASSERT_TRUE(ChooseInDialog(dialog, round ? L"ウェブ 表.doc" : page));
    const MessageBoxInfo box = NextMessage();
    EXPECT_EQ(Utf8(box.text), Utf8(answers[round]));
    EXPECT_EQ(box.icon, IconKind::kInformation);
  }
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(DataIni(), before);
  EXPECT_TRUE(ReadRecords({word_}).empty());
  ASSERT_TRUE(PressAndWaitClosed(kCommand3));
  ASSERT_TRUE(WaitEnded());
  ASSERT_TRUE(Start(L"\"" + page + L"\""));
  const std::vector<StandInRecord> started = WaitForRecords({word_}, 1);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].arguments, std::vector<std::wstring>{page});
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
