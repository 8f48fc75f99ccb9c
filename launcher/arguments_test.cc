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
      {L"C:\\a.doc ", {L"C:\\a.doc "}},
      {L"\"", {L""}},
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

TEST(ArgumentsTest, ArgumentTextSkipsTheProgramName) {
  const struct {
    const wchar_t* command_line;
    const wchar_t* arguments;
  } rows[] = {
      {L"talvern.exe", L""},
      {L"talvern.exe C:\\a b.doc", L"C:\\a b.doc"},
      {L"\"C:\\Program Files\\Talvern\\talvern.exe\" C:\\My Docs\\a.doc", L"C:\\My Docs\\a.doc"},
      {L"\"C:\\Program Files\\Talvern\\talvern.exe\"", L""},
      {L"\"C:\\Program Files\\Talvern\\talvern.exe\"   \"C:\\a.doc\"", L"\"C:\\a.doc\""},
      {L"C:\\talvern.exe C:\\a.doc ", L"C:\\a.doc "},
      {L"C:\\talvern.exe\tC:\\a.doc", L"C:\\a.doc"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ArgumentText(row.command_line), row.arguments) << row.command_line;
  }
}

}  // namespace
}  // namespace talvern
