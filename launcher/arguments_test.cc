#include "launcher/arguments.h"

#include <gtest/gtest.h>

namespace talvern {
namespace {

std::vector<std::wstring> Documents(const std::wstring& argument_text) {
  std::vector<std::wstring> args = SplitAtSpaces(argument_text);
  std::vector<std::wstring> documents;
  for (std::size_t i = 0; i != args.size(); ++i) documents.push_back(NextDocument(args, &i));
  return documents;
}

TEST(ArgumentsTest, SplitKeepsEveryEmptyPiece) {
  EXPECT_EQ(SplitAtSpaces(L"C:\\a  b.doc"), (std::vector<std::wstring>{L"C:\\a", L"", L"b.doc"}));
  EXPECT_EQ(SplitAtSpaces(L" x "), (std::vector<std::wstring>{L"", L"x", L""}));
  EXPECT_EQ(SplitAtSpaces(L"a\tb"), (std::vector<std::wstring>{L"a\tb"}));
  EXPECT_EQ(SplitAtSpaces(L"D0 CF 11 E0 A1 B1 1A E1"),
            (std::vector<std::wstring>{L"D0", L"CF", L"11", L"E0", L"A1", L"B1", L"1A", L"E1"}));
}

// Argument text, then the document paths handed on, in order.
struct ReassemblyRow {
  const wchar_t* text;
  std::vector<std::wstring> documents;
};

TEST(ArgumentsTest, ReassemblyTable) {
  const ReassemblyRow rows[] = {
      {L"C:\\My Documents\\Old Letters\\memo.doc", {L"C:\\My Documents\\Old Letters\\memo.doc"}},
      {L"C:\\a  b.doc", {L"C:\\a  b.doc"}},
      {L"C:\\a.doc D:\\new text.doc", {L"C:\\a.doc", L"D:\\new text.doc"}},
      {L"C:\\a.doc D:\\b.doc E:\\c.doc", {L"C:\\a.doc", L"D:\\b.doc", L"E:\\c.doc"}},
      {L"\"C:\\My Documents\\memo.doc\"", {L"C:\\My Documents\\memo.doc"}},
      {L"\"C:\\a b.doc\" D:\\c.doc", {L"C:\\a b.doc", L"D:\\c.doc"}},
      // A quoted or network path after another document starts a document of its own.
      {L"\"C:\\a b.doc\" \"D:\\c.doc\"", {L"C:\\a b.doc", L"D:\\c.doc"}},
      {L"C:\\a.doc \"D:\\b.doc\"", {L"C:\\a.doc", L"D:\\b.doc"}},
      {L"\\\\server\\docs\\a.doc \\\\server\\docs\\b.doc",
       {L"\\\\server\\docs\\a.doc", L"\\\\server\\docs\\b.doc"}},
      {L"C:\\a.doc x", {L"C:\\a.doc x"}},
      // A document never ends in a space; spaces inside a path stay.
      {L"C:\\a.doc ", {L"C:\\a.doc"}},
      {L"C:\\a.doc   ", {L"C:\\a.doc"}},
      {L"\"C:\\a.doc\"  \"C:\\b.doc\"", {L"C:\\a.doc", L"C:\\b.doc"}},
      {L"\"C:\\a.doc\" ", {L"C:\\a.doc"}},
      {L"\"C:\\a b.doc \"", {L"C:\\a b.doc", L""}},
      {L"C:\\a.doc  D:\\b.doc ", {L"C:\\a.doc", L"D:\\b.doc"}},
      {L"C:\\my  docs\\a.doc", {L"C:\\my  docs\\a.doc"}},
      // An empty document names no file (NextDocument gives empty text: skip it).
      {L"\"", {L""}},
      {L"\"\"", {L""}},
      {L"\" \"", {L"", L""}},
      {L"\"  ", {L""}},
      {L"\"\" C:\\a.doc", {L"", L"C:\\a.doc"}},
      // Beyond the table: only one enclosing pair comes off; inner quotes stay.
      {L"\"\"C:\\a.doc\"\"", {L"\"C:\\a.doc\""}},
      {L"\\\\srv\\my docs\\a b.doc", {L"\\\\srv\\my docs\\a b.doc"}},
      {L"relative.doc more", {L"relative.doc more"}},
      {L"C:\\x.doc \\single\\y.doc", {L"C:\\x.doc \\single\\y.doc"}},
  };
  for (const ReassemblyRow& row : rows) {
    EXPECT_EQ(Documents(row.text), row.documents) << row.text;
  }
}

TEST(ArgumentsTest, JoinedTextLandsInTheLastPieceOfEachDocument) {
  std::vector<std::wstring> args = SplitAtSpaces(L"C:\\a b.doc D:\\c.doc");
  std::size_t i = 0;
  EXPECT_EQ(NextDocument(args, &i), L"C:\\a b.doc");
  EXPECT_EQ(i, 1u);
  EXPECT_EQ(args[1], L"C:\\a b.doc");
  ++i;
  EXPECT_EQ(NextDocument(args, &i), L"D:\\c.doc");
  EXPECT_EQ(i, 2u);
}

TEST(ArgumentsTest, NextDocumentPastTheLastPieceIsEmpty) {
  std::vector<std::wstring> none;
  std::size_t i = 0;
  EXPECT_EQ(NextDocument(none, &i), L"");
  std::vector<std::wstring> one = {L"C:\\a.doc"};
  i = 1;
  EXPECT_EQ(NextDocument(one, &i), L"");
  EXPECT_EQ(i, 1u);
  EXPECT_EQ(one[0], L"C:\\a.doc");
}

// Command line, the forms of the running executable's path (the first as the system gives
// it), the argument text, and whether the other forms had to be asked for.
TEST(ArgumentsTest, ArgumentTextSkipsTheProgramName) {
  const std::vector<std::wstring> kNone;
  const std::vector<std::wstring> kProgramFiles = {L"C:\\Program Files\\Talvern\\talvern.exe",
                                                   L"C:\\PROGRA~1\\Talvern\\talvern.exe"};
  const struct {
    const wchar_t* command_line;
    const std::vector<std::wstring>& own_names;
    const wchar_t* arguments;
    bool asks_other_forms;
  } rows[] = {
      {L"talvern.exe", kNone, L"", true},
      {L"talvern.exe C:\\a b.doc", kNone, L"C:\\a b.doc", true},
      {L"\"C:\\Program Files\\Talvern\\talvern.exe\" C:\\My Docs\\a.doc", kNone,
       L"C:\\My Docs\\a.doc", false},
      {L"\"C:\\Program Files\\Talvern\\talvern.exe\"", kNone, L"", false},
      {L"\"C:\\Program Files\\Talvern\\talvern.exe\"   \"C:\\a.doc\"", kNone, L"\"C:\\a.doc\"",
       false},
      {L"C:\\talvern.exe C:\\a.doc ", kNone, L"C:\\a.doc ", true},
      {L"C:\\talvern.exe\tC:\\a.doc", kNone, L"C:\\a.doc", true},
      // The running executable's own path, unquoted, is skipped whole, in either form and
      // whatever its letter case; only a line that does not start with it as given needs
      // the other forms.
      {L"C:\\Program Files\\Talvern\\talvern.exe C:\\a b.doc", kProgramFiles, L"C:\\a b.doc",
       false},
      {L"c:\\program files\\talvern\\TALVERN.EXE C:\\a.doc", kProgramFiles, L"C:\\a.doc", false},
      {L"C:\\PROGRA~1\\Talvern\\talvern.exe  C:\\a.doc", kProgramFiles, L"C:\\a.doc", true},
      {L"C:\\Program Files\\Talvern\\talvern.exe", kProgramFiles, L"", false},
      {L"\"C:\\Program Files\\Talvern\\talvern.exe\" C:\\a.doc", kProgramFiles, L"C:\\a.doc",
       false},
      // Only the whole name followed by a blank counts; anything else ends at a blank.
      {L"C:\\Program Files\\Talvern\\talvern.exe2 C:\\a.doc", kProgramFiles,
       L"Files\\Talvern\\talvern.exe2 C:\\a.doc", true},
      {L"C:\\Program Files\\Other\\talvern.exe C:\\a.doc", kProgramFiles,
       L"Files\\Other\\talvern.exe C:\\a.doc", true},
      {L"talvern C:\\a.doc", kProgramFiles, L"C:\\a.doc", true},
      {L"", kProgramFiles, L"", true},
  };
  for (const auto& row : rows) {
    bool asked = false;
    const auto other_forms = [&] {
      asked = true;
      return row.own_names;
    };
    const std::wstring own_path = row.own_names.empty() ? L"" : row.own_names[0];
    EXPECT_EQ(ArgumentText(row.command_line, own_path, other_forms), row.arguments)
        << row.command_line;
    EXPECT_EQ(asked, row.asks_other_forms) << row.command_line;
  }
}

}  // namespace
}  // namespace talvern
