#include "launcher/dispatch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/fakes/fake_platform.h"

namespace talvern {
namespace {

const std::string kCompound(
    "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"
    "rest",
    12);
const wchar_t kWord[] = L"C:\\Program Files\\Office\\WINWORD.EXE";
const wchar_t kText[] = L"C:\\WINDOWS\\notepad.exe";

class DispatchTest : public ::testing::Test {
 protected:
  DispatchTest() {
    m.SignatureBytes = {L"D0", L"CF", L"11", L"E0", L"A1", L"B1", L"1A", L"E1"};
    m.WordPath = kWord;
    m.TextPath = kText;
    fake.files.files[kWord] = "MZ";
    fake.files.files[kText] = "MZ";
    // The flags must be set before the window that reports them opens.
    fake.window.on_show = [this] {
      word_invalid_when_shown = m.WordPathInvalid;
      text_invalid_when_shown = m.TextPathInvalid;
    };
  }
  HandOffResult Send(const std::wstring& path, const std::string& bytes) {
    fake.files.files[path] = bytes;
    return HandOff(m, fake.platform, path);
  }
  const StartedProcess& LastStarted() { return fake.processes.started.back(); }

  Module1 m;
  FakePlatform fake;
  bool word_invalid_when_shown = false;
  bool text_invalid_when_shown = false;
};

TEST_F(DispatchTest, HexTextHasNoLeadingZero) {
  EXPECT_EQ(HexText(0xD0), L"D0");
  EXPECT_EQ(HexText(0x0A), L"A");
  EXPECT_EQ(HexText(0x00), L"0");
  EXPECT_EQ(HexText(0x1A), L"1A");
  EXPECT_EQ(HexText(0xFF), L"FF");
}

// What happens to a document with the other formats off or on: the program it reaches,
// the bytes read from it and the reads of its first bytes at once.
struct Route {
  bool to_word;
  int bytes_read;
  int start_reads;
};

// First bytes of a document and its route with the option off, then on.
struct RouteRow {
  const char* name;
  std::string bytes;
  Route off, on;
};

TEST_F(DispatchTest, RoutesByTheFirstBytes) {
  const std::string long_text(10000, 'x');
  const RouteRow rows[] = {
      {"compound", kCompound, {true, 8, 0}, {true, 8, 0}},
      {"text starting with H", "Hello", {false, 1, 0}, {false, 1 + 5, 1}},
      {"D0 CF 11 E0 then 00",
       std::string("\xD0\xCF\x11\xE0\x00\x00\x00\x00", 8),
       {false, 5, 0},
       {false, 5 + 8, 1}},
      {"0D (text D)", "\x0D\x0A", {false, 1, 0}, {false, 1 + 2, 1}},
      {"empty", "", {false, 0, 0}, {false, 0, 1}},
      {"short prefix of the signature",
       std::string("\xD0\xCF\x11", 3),
       {false, 3, 0},
       {false, 3 + 3, 1}},
      {"seven matching bytes", kCompound.substr(0, 7), {false, 7, 0}, {false, 7 + 7, 1}},
      {"last byte differs",
       std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE0", 8),
       {false, 8, 0},
       {false, 8 + 8, 1}},
      {"long text: 4 KiB at most", long_text, {false, 1, 0}, {false, 1 + 4096, 1}},
      {"RTF", "{\\rtf1 x}", {false, 1, 0}, {true, 1 + 9, 1}},
      {"renamed .docx", std::string("PK\x03\x04\x14\x00", 6), {false, 1, 0}, {true, 1 + 6, 1}},
      {"Word 2.0", std::string("\xDB\xA5\x2D\x00", 4), {false, 1, 0}, {true, 1 + 4, 1}},
      {"web page after 4 KiB of blanks",
       std::string(4096, ' ') + "<html>",
       {false, 1, 0},
       {false, 1 + 4096, 1}},
  };
  for (bool on : {false, true}) {
    m.WordFormats = on;
    for (const RouteRow& row : rows) {
      const Route& route = on ? row.on : row.off;
      const std::wstring path =
          L"D:\\doc " + std::to_wstring(&row - rows) + (on ? L" on.doc" : L" off.doc");
      ASSERT_EQ(Send(path, row.bytes), HandOffResult::kStarted) << row.name << " on=" << on;
      EXPECT_EQ(LastStarted().application, route.to_word ? kWord : kText)
          << row.name << " on=" << on;
      EXPECT_EQ(fake.files.bytes_read[path], route.bytes_read) << row.name << " on=" << on;
      EXPECT_EQ(fake.files.start_reads[path], route.start_reads) << row.name << " on=" << on;
      EXPECT_FALSE(m.NotCompound) << row.name;
    }
  }
}

TEST_F(DispatchTest, NameAndExtensionPlayNoPart) {
  Send(L"C:\\memo.txt", kCompound);
  EXPECT_EQ(LastStarted().application, kWord);
  Send(L"C:\\memo.doc", "plain text");
  EXPECT_EQ(LastStarted().application, kText);
}

TEST_F(DispatchTest, CommandLineIsQuotedProgramSpaceAndQuotedDocument) {
  Send(L"C:\\My Documents\\memo.doc", "text");
  EXPECT_EQ(LastStarted().command_line,
            L"\"C:\\WINDOWS\\notepad.exe\" \"C:\\My Documents\\memo.doc\"");
  Send(L"D:\\a.doc", kCompound);
  // The executable is the application too, so "C:\Program.exe" can never run in its place.
  EXPECT_EQ(LastStarted().command_line,
            L"\"C:\\Program Files\\Office\\WINWORD.EXE\" \"D:\\a.doc\"");
  EXPECT_EQ(LastStarted().application, kWord);
  EXPECT_EQ(m.QuotedDocument, L" \"D:\\a.doc\"");
}

TEST_F(DispatchTest, ShortDocumentNeverInheritsEarlierBytes) {
  Send(L"C:\\full.doc", kCompound);
  EXPECT_EQ(Send(L"C:\\empty.doc", ""), HandOffResult::kStarted);
  EXPECT_EQ(LastStarted().application, kText);
  Send(L"C:\\prefix.doc", kCompound.substr(0, 4));
  EXPECT_EQ(LastStarted().application, kText);
}

TEST_F(DispatchTest, CompoundAfterNonCompoundStartsFromAFreshTest) {
  Send(L"C:\\a.txt", "abc");
  Send(L"C:\\b.doc", kCompound);
  EXPECT_EQ(LastStarted().application, kWord);
}

TEST_F(DispatchTest, MissingExecutableShowsTheWindowWithItsFlag) {
  m.TextPath = L"C:\\gone\\editor.exe";
  EXPECT_EQ(Send(L"C:\\a.txt", "abc"), HandOffResult::kSettingsShown);
  EXPECT_EQ(fake.window.shown, 1);
  EXPECT_TRUE(text_invalid_when_shown);
  EXPECT_FALSE(word_invalid_when_shown);
  EXPECT_TRUE(fake.processes.started.empty());

  m.WordPath = L"";
  m.TextPathInvalid = false;
  EXPECT_EQ(Send(L"C:\\b.doc", kCompound), HandOffResult::kSettingsShown);
  EXPECT_TRUE(word_invalid_when_shown);
}

// Programs that exist yet are never started: paths that are not full, Talvern itself by
// another drive letter (unreadable, so compared as a file) and a renamed copy of Talvern.
TEST_F(DispatchTest, ProgramThatIsNoFullPathOrTalvernShowsTheWindowWithItsFlag) {
  fake.files.aliases[L"T:\\TALVERN.EXE"] = L"C:\\Tools\\talvern.exe";
  fake.files.open_errors[L"T:\\TALVERN.EXE"] = L"CreateFileW: Access is denied.";
  fake.files.internal_names[L"D:\\Copy\\edit.exe"] = L"Talvern";
  for (const wchar_t* program : {L"notepad.exe", L"C:notepad.exe", L"\\docs\\notepad.exe",
                                 L"T:\\TALVERN.EXE", L"D:\\Copy\\edit.exe"}) {
    fake.files.files[program] = "MZ";
    m.TextPath = program;
    EXPECT_EQ(Send(L"C:\\a.txt", "abc"), HandOffResult::kSettingsShown) << program;
    EXPECT_TRUE(text_invalid_when_shown) << program;
  }
  EXPECT_TRUE(fake.processes.started.empty());
}

// A program found fit is looked at once per run; a bad setting is refused for every document.
TEST_F(DispatchTest, ProgramIsCheckedOncePerRunAndABadOneEveryTime) {
  for (const char* bytes : {"abc", "def", kCompound.c_str(), "ghi"}) Send(L"C:\\a.doc", bytes);
  EXPECT_EQ(fake.processes.started.size(), 4u);
  EXPECT_EQ(std::count(fake.files.exists_asked.begin(), fake.files.exists_asked.end(), kText), 1);
  fake.files.files[L"D:\\Copy\\edit.exe"] = "MZ";
  fake.files.internal_names[L"D:\\Copy\\edit.exe"] = L"Talvern";
  m.TextPath = L"D:\\Copy\\edit.exe";
  for (int i = 0; i != 2; ++i) EXPECT_EQ(Send(L"C:\\a.doc", "abc"), HandOffResult::kSettingsShown);
  EXPECT_EQ(fake.window.shown, 2);
  EXPECT_EQ(fake.processes.started.size(), 4u);
}

TEST_F(DispatchTest, UnreadableDocumentIsReportedAndSkipped) {
  const struct {
    const wchar_t* path;
    const wchar_t* reason;
  } rows[] = {
      {L"C:\\missing.doc", nullptr},
      {L"C:\\locked.doc", L"CreateFileW: The process cannot access the file."},
      {L"C:\\torn.doc", L"ReadFile: The device is not ready."},
  };
  fake.files.open_errors[L"C:\\locked.doc"] = L"CreateFileW: The process cannot access the file.";
  // Fails after three bytes that match the signature, so nothing has decided the route yet.
  fake.files.files[L"C:\\torn.doc"] = kCompound;
  fake.files.read_errors[L"C:\\torn.doc"] = 3;
  for (const auto& row : rows) {
    EXPECT_EQ(HandOff(m, fake.platform, row.path), HandOffResult::kSkipped) << row.path;
    ASSERT_FALSE(fake.messages.shown.empty());
    const ShownMessage& shown = fake.messages.shown.back();
    EXPECT_EQ(shown.icon, MsgIcon::kCritical);
    EXPECT_EQ(shown.title, L"Talvern");
    EXPECT_NE(shown.prompt.find(row.path), std::wstring::npos) << shown.prompt;
    if (row.reason) {
      EXPECT_NE(shown.prompt.find(row.reason), std::wstring::npos);
    }
  }
  EXPECT_TRUE(fake.processes.started.empty());
  EXPECT_FALSE(fake.files.files.count(L"C:\\missing.doc"));
  // The next document is tested from scratch.
  Send(L"C:\\next.doc", kCompound);
  EXPECT_EQ(LastStarted().application, kWord);
}

TEST_F(DispatchTest, OtherFormatsThatCannotBeReadAreReportedAndSkipped) {
  m.WordFormats = true;
  fake.files.start_read_errors[L"C:\\a.rtf"] = L"ReadFile: The device is not ready.";
  EXPECT_EQ(Send(L"C:\\a.rtf", "{\\rtf1}"), HandOffResult::kSkipped);
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].prompt,
            L"文書を開けませんでした。\r\nC:\\a.rtf\r\n\r\nReadFile: The device is not ready.");
  EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::kCritical);
  EXPECT_TRUE(fake.processes.started.empty());
  EXPECT_FALSE(m.NotCompound);
  Send(L"C:\\b.rtf", "{\\rtf1}");
  EXPECT_EQ(LastStarted().application, kWord);
}

TEST_F(DispatchTest, OtherFormatsNeedAnExistingWord) {
  m.WordFormats = true;
  m.WordPath = L"C:\\gone\\WINWORD.EXE";
  EXPECT_EQ(Send(L"C:\\a.doc", "{\\rtf1}"), HandOffResult::kSettingsShown);
  EXPECT_TRUE(word_invalid_when_shown);
  EXPECT_FALSE(text_invalid_when_shown);
}

// What TestSignature needs before it reads: an eight-entry table and a document name.
TEST_F(DispatchTest, BrokenPreconditionsAreRefusedWithoutReading) {
  fake.files.files[L""] = kCompound;
  fake.files.files[L"C:\\a.doc"] = kCompound;
  const struct {
    const char* label;
    std::size_t table_size;
    const wchar_t* document;
  } rows[] = {{"empty table", 0, L"C:\\a.doc"},
              {"seven entries", 7, L"C:\\a.doc"},
              {"nine entries", 9, L"C:\\a.doc"},
              {"empty name", 8, L""}};
  for (const auto& row : rows) {
    Module1 state;
    state.SignatureBytes = m.SignatureBytes;
    state.SignatureBytes.resize(row.table_size, L"00");
    std::wstring error;
    EXPECT_FALSE(TestSignature(state, fake.platform, row.document, &error)) << row.label;
    EXPECT_FALSE(error.empty()) << row.label;
  }
  EXPECT_TRUE(fake.files.bytes_read.empty());
}

TEST_F(DispatchTest, LeftOverNotCompoundFlagDoesNotDecide) {
  m.NotCompound = true;
  Send(L"C:\\a.doc", kCompound);
  EXPECT_EQ(LastStarted().application, kWord);
}

TEST_F(DispatchTest, ProgramThatCannotStartIsReportedWithItsCommandLine) {
  fake.processes.failures[kText] = L"CreateProcessW: Bad EXE format.";
  EXPECT_EQ(Send(L"C:\\a.txt", "abc"), HandOffResult::kSkipped);
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::kCritical);
  EXPECT_NE(fake.messages.shown[0].prompt.find(L"\"C:\\WINDOWS\\notepad.exe\" \"C:\\a.txt\""),
            std::wstring::npos);
  EXPECT_NE(fake.messages.shown[0].prompt.find(L"Bad EXE format"), std::wstring::npos);
  EXPECT_FALSE(m.NotCompound);
}

}  // namespace
}  // namespace talvern
