// When talvern.exe shows its window instead of dispatching, and what it reads from
// Data.ini through the real profile functions.
#include <algorithm>

#include "tests/dispatch/dispatch_fixture.h"

namespace talvern {
namespace e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// The run ends in the settings window: it is the last thing shown, and closing it ends the
// run. Message boxes may come before it (the window reports what it detects).
void ExpectEndsInWindow(const Outcome& outcome) {
  ASSERT_TRUE(outcome.ended) << "the run did not end after its window closed: "
                             << Describe(outcome.popups);
  ASSERT_FALSE(outcome.popups.empty()) << "no window opened";
  EXPECT_TRUE(outcome.popups.back().settings_window) << Describe(outcome.popups);
  int windows = 0;
  for (const Popup& popup : outcome.popups) windows += popup.settings_window;
  EXPECT_EQ(windows, 1) << Describe(outcome.popups);
}

// A message box of the settings window that reports `text` came before the window. Only
// the real window reports; a plain stand-in box cannot.
void ExpectReportedBeforeWindow(const Outcome& outcome, const std::wstring& text) {
  if (outcome.popups.empty() || outcome.popups.back().class_name == L"#32770") return;
  bool reported = false;
  for (const Popup& popup : outcome.popups) {
    if (!popup.settings_window && popup.box.text == text) {
      reported = true;
      EXPECT_EQ(popup.box.icon, IconKind::kCritical) << Describe(outcome.popups);
    }
  }
  EXPECT_TRUE(reported) << "expected " << Utf8(text) << ": " << Describe(outcome.popups);
}

TEST_F(DispatchTest, NoArgumentsOpensTheWindowOnly) {
  WriteSettings();
  const Outcome outcome = Dispatch(L"");
  ExpectEndsInWindow(outcome);
  EXPECT_EQ(outcome.popups.size(), 1u)
      << "valid settings need no message: " << Describe(outcome.popups);
  EXPECT_THAT(outcome.starts, IsEmpty());
}

TEST_F(DispatchTest, WithoutDataIniDocumentsAreNotOpened) {
  const std::wstring a = Document(L"a.doc", "text");
  const std::wstring missing = docs_ + L"missing.doc";
  const Outcome outcome = Dispatch(a + L" " + missing);
  ExpectEndsInWindow(outcome);
  EXPECT_THAT(outcome.starts, IsEmpty());
  EXPECT_FALSE(Exists(missing)) << "a document was created";
  EXPECT_FALSE(Exists(app_ + L"Data.ini")) << "closing without saving wrote Data.ini";
}

// Documents before the first compound one still go to the editor; then the window says
// that the Word setting is wrong, and nothing after it is opened.
TEST_F(DispatchTest, MissingWordKeyStopsAtTheFirstCompoundDocument) {
  ASSERT_TRUE(WriteDataIni(app_, "[EXE]\r\nTEXT=" + Cp932(text_) + "\r\n"));
  const std::wstring a = Document(L"a.doc", "one");
  const std::wstring b = Document(L"b.doc", "two");
  const std::wstring c = Document(L"c.doc", std::string(kCompound, 12));
  const std::wstring d = Document(L"d.doc", "four");
  const Outcome outcome = Dispatch(a + L" " + b + L" " + c + L" " + d);
  ExpectEndsInWindow(outcome);
  ExpectReportedBeforeWindow(outcome, L"WORDの設定が不正です");
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(text_, a), Started(text_, b)));
}

TEST_F(DispatchTest, MissingTextEditorStopsAtTheFirstPlainDocument) {
  ASSERT_TRUE(WriteDataIni(app_, DataIniBytes(word_, folder_ + L"gone\\notepad.exe")));
  const std::wstring a = Document(L"a.doc", std::string(kCompound, 12));
  const std::wstring b = Document(L"b.doc", "text");
  const std::wstring c = Document(L"c.doc", std::string(kCompound, 12));
  const Outcome outcome = Dispatch(a + L" " + b + L" " + c);
  ExpectEndsInWindow(outcome);
  ExpectReportedBeforeWindow(outcome, L"TEXTの設定が不正です");
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(word_, a)));
}

// Never started: Talvern by another path (drive Z: is Wine's Unix root), and a path that is
// not full, which from the document's folder would run the notepad.exe lying there.
TEST_F(DispatchTest, TalvernOrNoFullPathAsTheProgramOpensTheWindowInstead) {
  ASSERT_TRUE(_wgetenv(L"WINEPREFIX")) << "needs Wine's drive Z:";
  std::wstring itself =
      L"Z:" + std::wstring(_wgetenv(L"WINEPREFIX")) + L"/drive_c" + exe_.substr(2);
  std::replace(itself.begin(), itself.end(), L'/', L'\\');
  const std::wstring planted = docs_ + L"notepad.exe";
  ASSERT_TRUE(InstallStandIn(planted));
  const std::wstring a = Document(L"a.doc", "text");
  const std::wstring rows[][2] = {
      {itself,
       L" は Talvern 自身です。\r\n"
       L"Textの場所にはテキスト エディターの実行ファイルを指定してください。"},
      {L"notepad.exe",
       L" はフル パスではありません。\r\nTextの場所には、C:\\ や \\\\サーバー名\\ "
       L"から始まるフル パスを指定してください。"},
  };
  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);
  SetCurrentDirectoryW(docs_.c_str());
  for (const auto& row : rows) {
    EXPECT_TRUE(WriteDataIni(app_, DataIniBytes(word_, row[0])));
    const Outcome outcome = DispatchWith(exe_, a, {word_, text_, planted});
    ExpectEndsInWindow(outcome);
    ExpectReportedBeforeWindow(outcome, L"TEXTの設定が不正です\r\n" + row[0] + row[1]);
    EXPECT_THAT(outcome.starts, IsEmpty()) << Utf8(row[0]);
  }
  SetCurrentDirectoryW(before);
}

// A script as the text editor runs through cmd.exe: one that wraps the editor works (a
// document twice is no chain), one that hands the document back to Talvern ends in the
// window at the second run.
TEST_F(DispatchTest, ScriptAsTheProgramWorksUnlessItLeadsBackToTalvern) {
  const std::wstring script = folder_ + L"open.cmd", log = folder_ + L"open.log";
  const std::wstring a = Document(L"a.doc", "text");
  for (const std::wstring& program : {text_, exe_}) {
    const bool back = program == exe_;
    DeleteFileW(log.c_str());
    ASSERT_TRUE(
        WriteBytes(script, Cp932(L"@echo %1>>\"" + log + L"\"\r\n@\"" + program + L"\" %1\r\n")));
    ASSERT_TRUE(WriteDataIni(app_, DataIniBytes(word_, script)));
    const Outcome outcome = Dispatch(back ? a : a + L" " + a);
    if (!back) {
      EXPECT_THAT(Launches(outcome), ElementsAre(Started(text_, a), Started(text_, a)));
      continue;
    }
    // The script ran once: the run it started handed nothing on. (Two runs of the script at
    // once may lose a line of the shared log, so only this single run counts lines.)
    std::string runs;
    EXPECT_TRUE(ReadBytes(log, &runs) && std::count(runs.begin(), runs.end(), '\n') == 1);
    ExpectEndsInWindow(outcome);
    ExpectReportedBeforeWindow(outcome,
                               L"TEXTの設定が不正です\r\n" + script +
                                   L" は同じ文書で Talvern を起動します。\r\nTextの場所"
                                   L"にはテキスト エディターの実行ファイルを指定してください。");
  }
}

// Data.ini written by other programs or by hand, read through GetPrivateProfileString.
struct IniCase {
  const char* label;
  std::string (*ini)(const std::wstring& word, const std::wstring& text);
  bool dispatched;  ///< false: TEXT reads as empty, so the window opens instead.
};

void PrintTo(const IniCase& c, std::ostream* os) { *os << c.label; }

class DataIni : public DispatchTest, public ::testing::WithParamInterface<IniCase> {};

INSTANTIATE_TEST_SUITE_P(
    ProfileFunctions, DataIni,
    ::testing::Values(
        IniCase{"MissingSection",
                [](const std::wstring& w, const std::wstring& t) {
                  return "[OTHER]\r\nWORD=" + Cp932(w) + "\r\nTEXT=" + Cp932(t) + "\r\n";
                },
                false},
        IniCase{"EmptyValue",
                [](const std::wstring& w, const std::wstring&) {
                  return "[EXE]\r\nWORD=" + Cp932(w) + "\r\nTEXT=\r\n";
                },
                false},
        IniCase{"SpacesAroundValue",
                [](const std::wstring& w, const std::wstring& t) {
                  return "[EXE]\r\nWORD=" + Cp932(w) + "\r\nTEXT =   " + Cp932(t) + "  \r\n";
                },
                true},
        IniCase{"QuotedValue",
                [](const std::wstring& w, const std::wstring& t) {
                  return "[EXE]\r\nWORD=" + Cp932(w) + "\r\nTEXT=\"" + Cp932(t) + "\"\r\n";
                },
                true},
        IniCase{"LowerCaseNames",
                [](const std::wstring& w, const std::wstring& t) {
                  return "[exe]\r\nword=" + Cp932(w) + "\r\ntext=" + Cp932(t) + "\r\n";
                },
                true},
        IniCase{"MixedCaseNamesUnixLineEnds",
                [](const std::wstring& w, const std::wstring& t) {
                  return "[Exe]\nWord=" + Cp932(w) + "\nText=" + Cp932(t) + "\n";
                },
                true}),
    [](const ::testing::TestParamInfo<IniCase>& info) { return info.param.label; });

TEST_P(DataIni, ReadsTheTextEditorPath) {
  ASSERT_TRUE(WriteDataIni(app_, GetParam().ini(word_, text_)));
  const std::wstring a = Document(L"a.doc", "text");
  const Outcome outcome = Dispatch(a);
  if (GetParam().dispatched) {
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
    EXPECT_THAT(Launches(outcome), ElementsAre(Started(text_, a)));
  } else {
    ExpectEndsInWindow(outcome);
    ExpectReportedBeforeWindow(outcome, L"TEXTの設定が不正です");
    EXPECT_THAT(outcome.starts, IsEmpty());
  }
}

// A path of 259 characters (the longest a Win32 path can be) and far more than 254 bytes in
// code page 932 comes back whole.
TEST_F(DispatchTest, LongestPathInDataIniIsReadWhole) {
  std::wstring folder = folder_ + L"長いフォルダ名";
  while (folder.size() < 259 - 40) folder += L"\\日本語のフォルダ名です";
  std::wstring word = folder + L"\\";
  word += std::wstring(259 - word.size() - 4, L'x') + L".EXE";
  ASSERT_EQ(word.size(), 259u);
  ASSERT_GT(Cp932(word).size(), 254u);
  ASSERT_TRUE(InstallStandIn(word)) << Utf8(ErrorText(L"CopyFileW", GetLastError()));
  ASSERT_TRUE(WriteDataIni(app_, DataIniBytes(word, text_)));
  const std::wstring a = Document(L"a.doc", std::string(kCompound, 12));
  const Outcome outcome = DispatchWith(exe_, a, {word, text_});
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(word, a)));
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
