#include "launcher/explain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "launcher/arguments.h"
#include "launcher/dispatch.h"
#include "tests/fakes/fake_platform.h"

namespace talvern {
namespace {

using F = DocumentFormat;

// Every format, tried with the option off and on: its words, the program it goes to and, for
// the formats the option sends to Word, the line that says so.
TEST(ExplainTest, SaysWhatEachFormatIsWhereItGoesAndWhatTheOptionChanges) {
  const struct {
    F format;
    std::string head;  // the document's first bytes
    std::wstring words;
  } rows[] = {
      {F::kCompound, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8),
       L"複合ファイル (Word 97-2003 の文書など)"},
      {F::kRtf, "{\\rtf1}", L"RTF"},
      {F::kHtml, "<!DOCTYPE html>", L"Web ページ"},
      {F::kMht, "MIME-Version: 1.0\r\nContent-Type: multipart/related\r\n\r\n", L"MHT"},
      {F::kZipPackage, "PK\x03\x04", L"ZIP (docx など)"},
      {F::kWordXml, "<w:wordDocument>", L"Word XML"},
      {F::kWord2, std::string("\xDB\xA5\x2D\x00", 4), L"Word 2.0"},
      {F::kWordForDos, std::string("\x31\xBE\x00\x00\x00\xAB", 6), L"Word for DOS / Write"},
      {F::kText, "plain", L"テキスト (その他)"},
  };
  const std::wstring document = L"C:\\文書\\報告.doc", word = L"C:\\Office\\WINWORD.EXE",
                     text = L"C:\\WINDOWS\\notepad.exe";
  Module1 m;
  m.SignatureBytes = SplitAtSpaces(SignatureAsText());
  for (const auto& row : rows) {
    for (bool on : {false, true}) {
      FakePlatform fake;
      fake.files.files = {{document, row.head}, {word, "MZ"}, {text, "MZ"}};
      const bool optional = row.format != F::kText && row.format != F::kCompound;
      const bool to_word = row.format == F::kCompound || (on && optional);
      const std::wstring end =
          L" → " + row.words + L"\r\n" +
          (to_word ? L"Word で開きます: " + word : L"テキスト エディターで開きます: " + text) +
          (!optional ? L""
           : on ? L"\r\n[Word で開ける形式も Word で開く] をオフにするとテキスト "
                  L"エディターで開きます"
                : L"\r\n[Word で開ける形式も Word で開く] をオンにすると Word で開きます");
      // Word's box as Explorer's "Copy as path" pastes it: judged as it will be read back.
      const std::wstring pasted = L" \"" + word + L"\" ";
      const std::wstring said = ExplainDocument(m, fake.platform, document, {pasted, text, on});
      EXPECT_EQ(said.rfind(document + L"\r\n先頭のバイト: ", 0), 0u) << row.words;
      EXPECT_EQ(said.substr(said.size() - std::min(said.size(), end.size())), end)
          << FormatName(row.format) << (on ? ", option on" : ", option off");
    }
  }
}

}  // namespace
}  // namespace talvern
