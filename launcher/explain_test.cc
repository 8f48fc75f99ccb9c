#include "launcher/explain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "launcher/arguments.h"
#include "launcher/dispatch.h"
#include "launcher/formats_test_fixture.h"
#include "platform/fake_platform.h"

namespace talvern {
namespace {

using F = DocumentFormat;
const wchar_t kDocument[] = L"C:\\文書\\報告.doc";
const wchar_t kWord[] = L"C:\\Office\\WINWORD.EXE";
const wchar_t kText[] = L"C:\\WINDOWS\\notepad.exe";

struct Tester {
  Tester() {
    m.SignatureBytes = SplitAtSpaces(SignatureAsText());
    fake.files.files[kWord] = "MZ";
    fake.files.files[kText] = "MZ";
  }
  std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    for (std::size_t at = 0;;) {
      const std::size_t end = text.find(L"\r\n", at);
      lines.push_back(text.substr(at, end - at));
      if (end == std::wstring::npos) return lines;
      at = end + 2;
    }
  }
  Module1 m;
  FakePlatform fake;
};

// Every row of the format rules' table, tried with the option off and on: its words, the
// program it goes to and, for the formats the option sends to Word, the line that says so.
TEST(ExplainTest, SaysWhatEachFormatIsWhereItGoesAndWhatTheOptionChanges) {
  const std::map<F, std::wstring> words = {
      {F::kCompound, L"複合ファイル (Word 97-2003 の文書など)"},
      {F::kRtf, L"RTF"},
      {F::kHtml, L"Web ページ"},
      {F::kMht, L"MHT"},
      {F::kZipPackage, L"ZIP (docx など)"},
      {F::kWordXml, L"Word XML"},
      {F::kWord2, L"Word 2.0"},
      {F::kWordForDos, L"Word for DOS / Write"},
      {F::kText, L"テキスト (その他)"},
  };
  const std::wstring to_word = std::wstring(L"Word で開きます: ") + kWord;
  const std::wstring to_text = std::wstring(L"テキスト エディターで開きます: ") + kText;
  for (const format_rows::FormatRow& row : format_rows::FormatRows()) {
    for (bool on : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (on ? ", option on" : ", option off"));
      Tester tester;
      tester.fake.files.files[kDocument] = row.head;
      const std::vector<std::wstring> lines = tester.Lines(
          ExplainDocument(tester.m, tester.fake.platform, kDocument, {kWord, kText, on}));
      ASSERT_GE(lines.size(), 3u);
      EXPECT_EQ(lines[0], kDocument);
      const std::wstring what =
          (row.head.empty() ? L"なし (空のファイル) → " : L" → ") + words.at(row.format);
      EXPECT_EQ(lines[1].rfind(L"先頭のバイト: ", 0), 0u);
      EXPECT_EQ(lines[1].substr(lines[1].size() - std::min(what.size(), lines[1].size())), what);
      const bool optional = row.format != F::kText && row.format != F::kCompound;
      EXPECT_EQ(lines[2], row.format == F::kCompound || (on && optional) ? to_word : to_text);
      std::vector<std::wstring> option;
      if (optional) {
        option.push_back(
            on ? L"[Word で開ける形式も Word で開く] をオフにするとテキスト エディターで開きます"
               : L"[Word で開ける形式も Word で開く] をオンにすると Word で開きます");
      }
      EXPECT_EQ(std::vector<std::wstring>(lines.begin() + 3, lines.end()), option);
      EXPECT_TRUE(tester.fake.processes.started.empty());
      EXPECT_TRUE(tester.fake.profile.writes.empty());
    }
  }
}

}  // namespace
}  // namespace talvern
