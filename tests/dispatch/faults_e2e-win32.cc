// Documents that cannot be read, programs that cannot be started and a decoy
// C:\Program.exe: the user is told, and the other documents are still opened.
#include "tests/dispatch/dispatch_fixture.h"

namespace talvern {
namespace e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The one message of a run: a critical box with the application's title naming `what`.
void ExpectOneCriticalMessageNaming(const Outcome& outcome, const std::wstring& what) {
  ASSERT_EQ(outcome.popups.size(), 1u) << Describe(outcome.popups);
  const Popup& popup = outcome.popups[0];
  EXPECT_FALSE(popup.settings_window) << Describe(outcome.popups);
  EXPECT_EQ(popup.box.caption, kMessageCaption);
  EXPECT_THAT(popup.box.text, HasSubstr(what)) << Describe(outcome.popups);
  EXPECT_EQ(popup.box.icon, IconKind::kCritical) << Describe(outcome.popups);
}

enum class Unreadable { kMissing, kFolder, kInvalidName, kLocked, kPipe, kShortcutToMissing };

struct UnreadableCase {
  const char* label;
  Unreadable kind;
};

void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.label; }

class UnreadableDocument : public DispatchTest,
                           public ::testing::WithParamInterface<UnreadableCase> {};

INSTANTIATE_TEST_SUITE_P(
    Kinds, UnreadableDocument,
    ::testing::Values(UnreadableCase{"Missing", Unreadable::kMissing},
                      UnreadableCase{"Folder", Unreadable::kFolder},
                      UnreadableCase{"InvalidName", Unreadable::kInvalidName},
                      UnreadableCase{"LockedByAnotherProgram", Unreadable::kLocked},
                      UnreadableCase{"PipeThatNeverWrites", Unreadable::kPipe},
                      UnreadableCase{"ShortcutToMissing", Unreadable::kShortcutToMissing}),
    [](const ::testing::TestParamInfo<UnreadableCase>& info) { return info.param.label; });

TEST_P(UnreadableDocument, IsReportedAndTheNextDocumentStillOpens) {
  WriteSettings();
  std::wstring bad, said;  // `said`: what else the message must say
  HANDLE lock = INVALID_HANDLE_VALUE;
  switch (GetParam().kind) {
    case Unreadable::kMissing:
      bad = docs_ + L"missing.doc";
      break;
    case Unreadable::kFolder:
      bad = docs_ + L"folder.doc";
      ASSERT_TRUE(MakeFolders(bad));
      said = L"フォルダーです。";
      break;
    case Unreadable::kPipe:
      // Its server never writes: one read of it would wait for ever.
      bad = L"\\\\.\\pipe\\talvern-e2e-" + std::to_wstring(GetCurrentProcessId());
      lock = CreateNamedPipeW(bad.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
      ASSERT_NE(lock, INVALID_HANDLE_VALUE);
      said = L"ディスク上のファイルではありません。";
      break;
    case Unreadable::kShortcutToMissing:
      bad = docs_ + L"gone.lnk";
      said = Document(L"gone.doc", "text") + L"\r\n(ショートカット " + bad + L" のリンク先)";
      ASSERT_TRUE(WriteShortcut(bad, docs_ + L"gone.doc"));
      ASSERT_TRUE(DeleteFileW((docs_ + L"gone.doc").c_str()));
      break;
    case Unreadable::kInvalidName:
      bad = docs_ + L"inva|id<name>.doc";
      break;
    case Unreadable::kLocked:
      bad = Document(L"locked.doc", std::string(kCompound, 12));
      // Held without any sharing, as an editor that has the file open may do.
      lock = CreateFileW(bad.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(lock, INVALID_HANDLE_VALUE);
      break;
  }
  const std::wstring next = Document(L"next.doc", std::string(kCompound, 12));
  // After a missing shortcut's target, one to a compound document hands that on to Word.
  const bool link = GetParam().kind == Unreadable::kShortcutToMissing;
  ASSERT_TRUE(!link || WriteShortcut(docs_ + L"next.lnk", next));
  const Outcome outcome = Dispatch(bad + L" " + (link ? docs_ + L"next.lnk" : next));
  if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
  ASSERT_TRUE(outcome.ended) << Describe(outcome.popups);
  ExpectOneCriticalMessageNaming(outcome, bad);
  if (!said.empty()) ExpectOneCriticalMessageNaming(outcome, said);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(word_, next)));
  if (GetParam().kind == Unreadable::kMissing) {
    EXPECT_FALSE(Exists(bad)) << "the missing document was created";
  }
}

// Data.ini held by another program without read sharing (a sync client), or open with its
// bytes locked, is no empty settings: the run says so and starts nothing, with no window
// and no write.
TEST_F(DispatchTest, SettingsFileHeldByAnotherProgramStartsNothing) {
  WriteSettings();
  const std::wstring ini = app_ + L"Data.ini", a = Document(L"a.doc", "text");
  std::string before, after;
  ASSERT_TRUE(ReadBytes(ini, &before));
  for (const wchar_t* call : {L"CreateFileW", L"LockFileEx"}) {
    const bool lock = call[0] == L'L';  // shared, its bytes locked; else not shared at all
    HANDLE held = CreateFileW(ini.c_str(), GENERIC_READ | GENERIC_WRITE,
                              lock ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    OVERLAPPED whole = {};
    ASSERT_TRUE(
        held != INVALID_HANDLE_VALUE &&
        (!lock || LockFileEx(held, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)));
    const Outcome outcome = Dispatch(a);
    CloseHandle(held);
    ExpectOneCriticalMessageNaming(outcome, L"もう一度開いてください。\r\n設定ファイル: " + ini +
                                                L"\r\n理由: " + call + L": ");
    EXPECT_THAT(Launches(outcome), ElementsAre());
    EXPECT_TRUE(ReadBytes(ini, &after) && after == before);
  }
}

// Not a program: the start fails, the user is told the command line, and the next
// document still goes to Word.
TEST_F(DispatchTest, ProgramThatCannotStartIsReportedAndTheNextDocumentStillOpens) {
  ASSERT_TRUE(WriteBytes(text_, "This is not a program.\r\n"));
  WriteSettings();
  const std::wstring a = Document(L"a.doc", "text");
  const std::wstring b = Document(L"b.doc", std::string(kCompound, 12));
  const Outcome outcome = Dispatch(a + L" " + b);
  ASSERT_TRUE(outcome.ended) << Describe(outcome.popups);
  ExpectOneCriticalMessageNaming(outcome, CommandLine(text_, a));
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(word_, b)));
}

// DLLs named like those it loads late, lying beside talvern.exe (a Downloads folder), are
// never loaded, not even to show a message. (Wine's own comctl32, which the message box
// brings in, loads ole32 by bare name from there, as no Windows would: not planted here.)
TEST_F(DispatchTest, DllsBesideTheProgramAreNeverLoaded) {
  WriteSettings();
  const std::vector<std::wstring> dlls = {L"user32",   L"gdi32",   L"comdlg32",
                                          L"oleaut32", L"shell32", L"advapi32",
                                          L"uxtheme",  L"shlwapi", L"version"};
  PlantedDlls planted(app_, dlls);
  ASSERT_TRUE(planted.ok());
  const std::wstring missing = docs_ + L"missing.doc";
  const Outcome outcome = Dispatch(missing);
  EXPECT_THAT(planted.Loaded(), ElementsAre());
  ExpectOneCriticalMessageNaming(outcome, missing);
}

// An unquoted "C:\Program Files\..." command line would run C:\Program.exe (and then
// "C:\Program Files\Talvern.exe") if they existed; the stored path must run instead.
class DecoyTest : public DispatchTest {
 protected:
  void TearDown() override {
    for (const std::wstring& path : cleanup_) RemoveTree(path);
  }
  std::vector<std::wstring> cleanup_;
};

TEST_F(DecoyTest, ProgramExeInTheDriveRootNeverRuns) {
  const std::wstring office = L"C:\\Program Files\\Talvern Test Office\\";
  const std::wstring word = office + L"WINWORD.EXE";
  const std::wstring decoy = L"C:\\Program.exe";
  const std::wstring decoy2 = L"C:\\Program Files\\Talvern.exe";
  cleanup_ = {office, decoy, RecordLog(decoy), decoy2, RecordLog(decoy2)};
  ASSERT_TRUE(InstallStandIn(word));
  ASSERT_TRUE(InstallStandIn(decoy));
  ASSERT_TRUE(InstallStandIn(decoy2));
  ASSERT_TRUE(WriteDataIni(app_, DataIniBytes(word, text_)));
  const std::wstring a = Document(L"a.doc", std::string(kCompound, 12));
  const Outcome outcome = DispatchWith(exe_, a, {word, text_, decoy, decoy2});
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  EXPECT_THAT(Launches(outcome), ElementsAre(Started(word, a)));
  ASSERT_EQ(outcome.starts.size(), 1u);
  EXPECT_EQ(outcome.starts[0].exe, word);
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
