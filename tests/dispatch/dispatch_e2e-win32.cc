// talvern.exe run for real: each document reaches Word or the text editor, which receives
// it whole as its one argument, in a normal window, in command-line order.
#include "tests/dispatch/dispatch_fixture.h"

namespace talvern {
namespace e2e {
namespace {

using ::testing::ElementsAre;

struct RoutingCase {
  const char* label;
  const wchar_t* name;
  std::string bytes;
  bool to_word;
};

void PrintTo(const RoutingCase& c, std::ostream* os) { *os << c.label; }

class Routing : public DispatchTest, public ::testing::WithParamInterface<RoutingCase> {};

// Only the first eight bytes decide; the name plays no part.
INSTANTIATE_TEST_SUITE_P(
    FirstEightBytes, Routing,
    ::testing::Values(
        RoutingCase{"Compound", L"report.doc", std::string(kCompound, 12), true},
        RoutingCase{"CompoundNamedTxt", L"memo.txt", std::string(kCompound, 12), true},
        RoutingCase{"PlainTextNamedDoc", L"memo.doc", "Hello, world\r\n", false},
        RoutingCase{"SignatureThenZero", L"prefix.doc", std::string("\xD0\xCF\x11\xE0\x00\x01", 6),
                    false},
        RoutingCase{"CarriageReturn", L"cr.doc", "\r\nline", false},
        RoutingCase{"Empty", L"empty.doc", "", false},
        RoutingCase{"ShortSignaturePrefix", L"short.doc", std::string(kCompound, 3), false},
        RoutingCase{"SevenSignatureBytes", L"seven.doc", std::string(kCompound, 7), false}),
    [](const ::testing::TestParamInfo<RoutingCase>& info) { return info.param.label; });

TEST_P(Routing, StartsTheRightProgramWithTheDocumentAsItsOneArgument) {
  WriteSettings();
  const std::wstring document = Document(GetParam().name, GetParam().bytes);
  const Outcome outcome = Dispatch(document);
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  ASSERT_EQ(outcome.starts.size(), 1u);
  const std::wstring& program = GetParam().to_word ? word_ : text_;
  EXPECT_EQ(Launches(outcome)[0], Started(program, document));
  EXPECT_EQ(outcome.starts[0].show, SW_SHOWNORMAL);
}

// How Data.ini states the option, as the profile functions read it, and where an RTF
// document then goes.
TEST_F(DispatchTest, OnlyWordFormatsOneSendsTheOtherFormatsToWord) {
  const struct {
    const char* option_lines;
    bool to_word;
  } rows[] = {
      {"", false},
      {"[OPTION]\r\nWORDFORMATS=1\r\n", true},
      {"[option]\r\nwordformats = 1 \r\n", true},
      {"[OPTION]\r\nWORDFORMATS=\"1\"\r\n", true},
      {"[OPTION]\r\nWORDFORMATS=0\r\n", false},
      {"[OPTION]\r\nWORDFORMATS=yes\r\n", false},
      {"[OPTION]\r\nWORDFORMATS=\r\n", false},
      {"[EXE2]\r\nWORDFORMATS=1\r\n", false},
  };
  const std::wstring document = Document(L"letter.doc", "{\\rtf1\\ansi Hello}");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.option_lines);
    ASSERT_TRUE(WriteDataIni(app_, DataIniBytes(word_, text_) + row.option_lines));
    DeleteFileW(RecordLog(word_).c_str());
    DeleteFileW(RecordLog(text_).c_str());
    const Outcome outcome = Dispatch(document);
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
    EXPECT_THAT(Launches(outcome), ElementsAre(Started(row.to_word ? word_ : text_, document)));
  }
}

// A short document after a compound one must not pass on the earlier document's bytes.
TEST_F(DispatchTest, SeveralDocumentsGoInCommandLineOrder) {
  WriteSettings();
  const std::wstring a = Document(L"a.doc", std::string(kCompound, 12));
  const std::wstring b = Document(L"b.doc", std::string(kCompound, 4));
  const std::wstring c = Document(L"c.doc", "");
  const std::wstring d = Document(L"d.doc", "plain");
  const std::wstring e = Document(L"e.doc", std::string(kCompound, 8));
  const Outcome outcome = Dispatch(a + L" " + b + L" " + c + L" " + d + L" " + e);
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome),
              ElementsAre(Started(word_, a), Started(text_, b), Started(text_, c),
                          Started(text_, d), Started(word_, e)));
  for (const StandInRecord& start : outcome.starts) EXPECT_EQ(start.show, SW_SHOWNORMAL);
}

// The shell verb passes paths unquoted: spaces, runs of spaces included, stay in place.
TEST_F(DispatchTest, UnquotedPathsWithSpacesComeBackWhole) {
  WriteSettings();
  const std::wstring a = Document(L"My Documents\\Old Letters\\memo.doc", "memo");
  const std::wstring b = Document(L"a  b.doc", std::string(kCompound, 12));
  const Outcome outcome = Dispatch(a + L" " + b);
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(text_, a), Started(word_, b)));
}

TEST_F(DispatchTest, QuotedFirstPathLosesItsQuotes) {
  WriteSettings();
  const std::wstring a = Document(L"My Documents\\memo.doc", "memo");
  const std::wstring b = Document(L"new text.doc", "text");
  const Outcome outcome = Dispatch(L"\"" + a + L"\" " + b);
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(text_, a), Started(text_, b)));
}

// The SendTo shortcut quotes every path that holds a space.
TEST_F(DispatchTest, QuotedLaterPathsStartNewDocuments) {
  WriteSettings();
  const std::wstring a = Document(L"a b.doc", "a");
  const std::wstring b = Document(L"c d.doc", std::string(kCompound, 12));
  const std::wstring c = Document(L"e.doc", "e");
  const Outcome outcome = Dispatch(L"\"" + a + L"\" \"" + b + L"\" " + c + L" \"" + a + L"\"");
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(text_, a), Started(word_, b),
                                             Started(text_, c), Started(text_, a)));
}

// Spaces between documents and at the end of the line are separators, never part of a path.
TEST_F(DispatchTest, ExtraSpacesBetweenAndAfterDocumentsAreDropped) {
  WriteSettings();
  const std::wstring a = Document(L"a b.doc", "a");
  const std::wstring b = Document(L"b.doc", std::string(kCompound, 12));
  const Outcome outcome = Dispatch(L"\"" + a + L"\"  \"" + b + L"\"  " + a + L" ");
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome),
              ElementsAre(Started(text_, a), Started(word_, b), Started(text_, a)));
}

// An empty document names no file: with nothing else on the line the run ends quietly.
TEST_F(DispatchTest, EmptyDocumentsAreSkippedWithoutAMessage) {
  WriteSettings();
  const std::wstring a = Document(L"a.doc", "a");
  for (const std::wstring& arguments : {std::wstring(L"\"\""), std::wstring(L"\""), L"\"\" " + a}) {
    SCOPED_TRACE(Utf8(arguments));
    const Outcome outcome = Dispatch(arguments);
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
    EXPECT_EQ(outcome.starts.size(), arguments.size() > 2 ? 1u : 0u);
    for (const std::wstring& line : {RecordLog(word_), RecordLog(text_)}) DeleteFileW(line.c_str());
  }
}

// An older verb command, C:\Program Files\...\talvern.exe %1, leaves the program's own path
// unquoted; its spaces must not turn the rest of it into a document. Long and short forms,
// in any letter case, as the shell may give them.
TEST_F(DispatchTest, OwnPathUnquotedWithSpacesIsSkippedWhole) {
  WriteSettings();
  const std::wstring a = Document(L"a b.doc", "a");
  wchar_t short_exe[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameW(exe_.c_str(), short_exe, MAX_PATH), 0u);
  std::wstring upper = exe_;
  CharUpperW(&upper[0]);
  ASSERT_NE(exe_.find(L' '), std::wstring::npos) << "the test needs spaces in the path";
  for (const std::wstring& program : {exe_, std::wstring(short_exe), upper}) {
    SCOPED_TRACE(Utf8(program));
    const Outcome outcome = DispatchLine(program + L" " + a);
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
    EXPECT_THAT(Launches(outcome), ElementsAre(Started(text_, a)));
    DeleteFileW(RecordLog(text_).c_str());
  }
}

// Files of a network folder arrive as \\server\share\... paths.
TEST_F(DispatchTest, NetworkPathsStartNewDocuments) {
  WriteSettings();
  const std::wstring share = L"\\\\talvern\\share\\DispatchTest\\";
  ASSERT_TRUE(RemoveTree(share));
  ASSERT_TRUE(MakeFolders(share)) << "is the network share of scripts/wine-env.sh set up?";
  const std::wstring a = share + L"a.doc";
  const std::wstring b = share + L"b b.doc";
  ASSERT_TRUE(WriteBytes(a, std::string(kCompound, 12)));
  ASSERT_TRUE(WriteBytes(b, "text"));
  const Outcome outcome = Dispatch(a + L" " + b);
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(word_, a), Started(text_, b)));
  RemoveTree(share);
}

// Deep folders: a document beyond MAX_PATH is read and handed on with its path as given.
TEST_F(DispatchTest, DocumentBeyondMaxPathReachesItsProgramWhole) {
  WriteSettings();
  const std::wstring folder = L"Deep Folder " + std::wstring(60, L'd') + L"\\";
  const std::wstring a =
      Document(folder + folder + folder + folder + L"report.doc", std::string(kCompound, 12));
  ASSERT_GT(a.size(), 300u);
  const Outcome outcome = Dispatch(a);
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(word_, a)));
}

// Data.ini holds code page 932 bytes; 表 and ソ end in the byte 0x5C, like "\".
TEST_F(DispatchTest, JapanesePathsInDataIniAndOnTheCommandLine) {
  const std::wstring word = folder_ + L"ワード 表示\\ソフト\\WINWORD.EXE";
  const std::wstring text = folder_ + L"メモ帳\\notepad.exe";
  ASSERT_TRUE(InstallStandIn(word));
  ASSERT_TRUE(InstallStandIn(text));
  ASSERT_TRUE(WriteDataIni(app_, DataIniBytes(word, text)));
  const std::wstring a = Document(L"日本語 文書\\表ソ.doc", std::string(kCompound, 12));
  const std::wstring b = Document(L"日本語 文書\\メモ.doc", "テキスト");
  const Outcome outcome = DispatchWith(exe_, a + L" " + b, {word, text});
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(word, a), Started(text, b)));
}

// The command line is read as Unicode, so names code page 932 cannot hold still work.
TEST_F(DispatchTest, DocumentNamesOutsideTheAnsiCodePage) {
  WriteSettings();
  const std::wstring a = Document(L"한국어 문서.doc", "text");
  const std::wstring b = Document(L"emoji \U0001F600 \u301C.doc", std::string(kCompound, 12));
  const Outcome outcome = Dispatch(a + L" " + b);
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(text_, a), Started(word_, b)));
}

// T: is a drive of its own (scripts/wine-env.sh): the settings file is T:\Data.ini.
TEST_F(DispatchTest, ProgramInADriveRootReadsDataIniThere) {
  ASSERT_TRUE(Exists(L"T:\\")) << "drive T: of scripts/wine-env.sh is missing";
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(L"T:\\*", &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") ASSERT_TRUE(RemoveTree(L"T:\\" + name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  const std::wstring exe = CopyTalvern(L"T:\\");
  ASSERT_EQ(exe, L"T:\\talvern.exe");
  ASSERT_TRUE(WriteDataIni(L"T:\\", DataIniBytes(word_, text_)));
  const std::wstring a = Document(L"root.doc", "text");
  const Outcome outcome = DispatchWith(exe, a, {word_, text_});
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(text_, a)));
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
