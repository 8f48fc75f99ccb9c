#include "launcher/formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "launcher/arguments.h"
#include "launcher/dispatch.h"
#include "launcher/explain.h"
#include "tests/fakes/fake_platform.h"

namespace talvern {
namespace {

using F = DocumentFormat;

// `text` as UTF-16 code units in the given byte order, ASCII only.
std::string Utf16(const std::string& text, bool big_endian) {
  std::string bytes;
  for (char c : text) {
    bytes += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
  }
  return bytes;
}

std::string Bytes(const char* bytes, std::size_t size) { return std::string(bytes, size); }

const char kMsoXml[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<?mso-application progid=\"Word.Document\"?>\r\n";

const std::string kWordPart = "<pkg:part pkg:name=\"/word/document.xml\">";

struct FormatRow {
  const char* name;
  std::string head;
  F format;
};

// Each format, then the near misses that only begin like it; shared with what the tester
// says of each.
std::vector<FormatRow> FormatRows() {
  const std::string filler(kFormatHeadBytes, ' ');
  return {
      {"compound", Bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), F::kCompound},
      {"seven bytes of the compound signature", Bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A", 7), F::kText},

      {"RTF", "{\\rtf1\\ansi\\deff0 Hello}", F::kRtf},
      {"RTF, nothing after the marker", "{\\rtf", F::kRtf},
      {"text starting with {", "{ \"json\": true }", F::kText},
      {"RTF marker in capitals", "{\\RTF1}", F::kText},
      {"RTF after a space", " {\\rtf1}", F::kText},
      {"RTF marker cut short", "{\\rt", F::kText},

      {"ZIP package", Bytes("PK\x03\x04\x14\x00\x06\x00", 8), F::kZipPackage},
      {"text starting with PK", "PK and some notes", F::kText},
      {"empty ZIP archive (PK 05 06)", Bytes("PK\x05\x06\0\0", 6), F::kText},
      {"PK 03 cut short", Bytes("PK\x03", 3), F::kText},

      {"Word 2003 XML", std::string(kMsoXml) + "<w:wordDocument xmlns:w=\"x\">", F::kWordXml},
      {"mso PI alone decides", std::string(kMsoXml) + "<root>", F::kWordXml},
      {"mso PI in single quotes", "<?mso-application progid='Word.Document'?><a/>", F::kWordXml},
      {"w:wordDocument root, no declaration", "<w:wordDocument xmlns:w=\"x\">", F::kWordXml},
      {"flat package with a Word document",
       "<?xml version=\"1.0\"?>\n<!-- saved -->\n<pkg:package xmlns:pkg=\"x\">" + kWordPart,
       F::kWordXml},
      {"Word XML in UTF-8 with a BOM", "\xEF\xBB\xBF<w:wordDocument>", F::kWordXml},
      {"Word XML in UTF-16LE", "\xFF\xFE" + Utf16("<?xml version=\"1.0\"?><w:wordDocument>", false),
       F::kWordXml},
      {"root after a document type with an internal subset",
       "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"]>\">]><w:wordDocument>", F::kWordXml},
      {"Excel XML", "<?xml version=\"1.0\"?><?mso-application progid=\"Excel.Sheet\"?><Workbook>",
       F::kText},
      {"PowerPoint flat package",
       "<?mso-application progid=\"PowerPoint.Show\"?><pkg:package>" + kWordPart, F::kText},
      {"Excel page", "<?mso-application progid=\"Excel.Sheet\"?><html>", F::kText},
      {"flat package without a Word document",
       "<pkg:package><pkg:part pkg:name=\"/xl/workbook.xml\">", F::kText},
      {"Word part of a flat package cut by the 4 KiB mark",
       "<pkg:package>" + filler.substr(0, kFormatHeadBytes - 40) + kWordPart, F::kText},
      {"other XML", "<?xml version=\"1.0\"?>\n<note><to>Tove</to></note>", F::kText},
      {"root name longer", "<w:wordDocumentX>", F::kText},
      {"root without prefix", "<wordDocument>", F::kText},
      {"pkg:package as a child, not the root", "<?xml version=\"1.0\"?><a><pkg:package>", F::kText},
      {"mso PI after the root element", "<a><?mso-application progid=\"Word.Document\"?>",
       F::kText},
      {"mso PI not closed", "<?mso-application progid=\"Word.Document\"", F::kText},
      {"root name cut by the end of the text", "<?xml version=\"1.0\"?><w:wordDocument", F::kText},
      {"comment not closed", "<!-- <w:wordDocument>", F::kText},
      {"root after 4 KiB of prolog", "<?xml version=\"1.0\"?>" + filler + "<w:wordDocument>",
       F::kText},

      {"HTML page", "<html><body>x</body></html>", F::kHtml},
      {"HTML doctype", "<!DOCTYPE html>\n<html>", F::kHtml},
      {"HTML 4 doctype in capitals", "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">",
       F::kHtml},
      {"HTML in any case after white space", " \r\n\t<HtMl lang=\"ja\">", F::kHtml},
      {"HTML after a UTF-8 BOM", "\xEF\xBB\xBF<html>", F::kHtml},
      {"HTML in UTF-16LE with a BOM", "\xFF\xFE" + Utf16("<html>", false), F::kHtml},
      {"HTML in UTF-16BE with a BOM", "\xFE\xFF" + Utf16("<!doctype html>", true), F::kHtml},
      {"HTML in UTF-16LE without a BOM", Utf16("\n<html>", false), F::kHtml},
      {"HTML right at the 4 KiB mark", filler.substr(0, kFormatHeadBytes - 6) + "<html>", F::kHtml},
      {"<html after 4 KiB", filler + "<html>", F::kText},
      {"<html cut by the 4 KiB mark", filler.substr(0, kFormatHeadBytes - 5) + "<html>", F::kText},
      {"page that mentions <html later", "Notes about <html> tags", F::kText},
      {"element name longer than html", "<htmlx>", F::kText},
      {"doctype of another kind", "<!DOCTYPE svg>", F::kText},
      {"doctype without a blank", "<!DOCTYPEhtml>", F::kText},
      {"page saved by Internet Explorer", "<!-- saved from url=(0014)about:internet -->\r\n<html>",
       F::kHtml},
      {"XHTML",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"x.dtd\">\n"
       "<html xmlns=\"http://www.w3.org/1999/xhtml\">",
       F::kHtml},
      {"comment not closed before the page", "<!-- saved <html>", F::kText},
      {"HTML doctype, then one cut short", "<!DOCTYPE html><!DOCTYPE", F::kHtml},

      {"MHT, MIME-Version first",
       "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"b\"\r\n\r\n", F::kMht},
      {"text that only begins with MIME-Version", "MIME-Version: 1.0\r\n\r\nHello", F::kText},
      {"MHT, saved by a browser",
       "From: <Saved by Windows Internet Explorer 8>\r\nSubject: x\r\nMIME-Version: 1.0\r\n"
       "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"b\"\r\n\r\n",
       F::kMht},
      {"MHT, folded content type",
       "Subject: x\nContent-Type:\n multipart/related\nMIME-Version: 1\n", F::kMht},
      {"mail without MIME-Version", "From: a\r\nContent-Type: multipart/related\r\n\r\n", F::kText},
      {"mail of another content type",
       "From: a\r\nMIME-Version: 1.0\r\nContent-Type: text/plain\r\n", F::kText},
      {"multipart/related-ish type",
       "From: a\nMIME-Version: 1.0\nContent-Type: multipart/relatedx\n", F::kText},
      {"headers after the first blank line",
       "From: a\n\nMIME-Version: 1.0\nContent-Type: multipart/related\n", F::kText},
      {"text before the headers",
       "Dear reader\nMIME-Version: 1.0\nContent-Type: multipart/related\n", F::kText},
      {"MIME-Version not first, without a colon", "MIME-Version 1.0\n", F::kText},
      {"MIME-Version after a blank", " MIME-Version: 1.0\n", F::kText},

      {"Word 2.0", Bytes("\xDB\xA5\x2D\x00\x31\x40\x09\x04", 8), F::kWord2},
      {"Word 2.0 marker cut short", Bytes("\xDB\xA5\x2D", 3), F::kText},
      {"DB A5 2D 01", Bytes("\xDB\xA5\x2D\x01", 4), F::kText},
      {"Word for DOS", Bytes("\x31\xBE\x00\x00\x00\xAB\x00\x00", 8), F::kWordForDos},
      {"31 BE 00 00 00 AC", Bytes("\x31\xBE\x00\x00\x00\xAC", 6), F::kText},
      {"Word for DOS marker cut short", Bytes("\x31\xBE\x00\x00\x00", 5), F::kText},

      {"empty", "", F::kText},
      {"plain text", "A plain text document.\r\n", F::kText},
      {"UTF-8 text with a BOM", "\xEF\xBB\xBFTest", F::kText},
      {"UTF-16LE text with a BOM", "\xFF\xFE" + Utf16("Test", false), F::kText},
      {"Shift_JIS text", "\x82\xA0\x82\xA2\x82\xA4", F::kText},
      {"WordPerfect", Bytes("\xFF\x57\x50\x43\x6E\x0F\x00\x00", 8), F::kText},
      {"Excel 4", Bytes("\x09\x04\x06\x00\x00\x00\x10\x00", 8), F::kText},
      {"lone less-than sign", "<", F::kText},
  };
}

TEST(FormatOfTest, RecognisesWhatWordOpensAndNothingThatOnlyBeginsLikeIt) {
  for (const FormatRow& row : FormatRows()) {
    EXPECT_STREQ(FormatName(FormatOf(row.head)), FormatName(row.format)) << row.name;
  }
}

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
  const std::wstring document = L"C:\\文書\\報告.doc", word = L"C:\\Office\\WINWORD.EXE",
                     text = L"C:\\WINDOWS\\notepad.exe";
  for (const FormatRow& row : FormatRows()) {
    for (bool on : {false, true}) {
      FakePlatform fake;
      fake.files.files = {{document, row.head}, {word, "MZ"}, {text, "MZ"}};
      Module1 m;
      m.SignatureBytes = SplitAtSpaces(SignatureAsText());
      const bool optional = row.format != F::kText && row.format != F::kCompound;
      std::wstring end = L" → " + words.at(row.format) + L"\r\n" +
                         (row.format == F::kCompound || (on && optional)
                              ? L"Word で開きます: " + word
                              : L"テキスト エディターで開きます: " + text);
      if (optional && on) {
        end += L"\r\n[Word で開ける形式も Word で開く] をオフにするとテキスト エディターで開きます";
      } else if (optional) {
        end += L"\r\n[Word で開ける形式も Word で開く] をオンにすると Word で開きます";
      }
      const std::wstring said = ExplainDocument(m, fake.platform, document, {word, text, on});
      EXPECT_EQ(said.rfind(document + L"\r\n先頭のバイト: ", 0), 0u) << row.name;
      EXPECT_EQ(said.substr(said.size() - std::min(said.size(), end.size())), end)
          << row.name << (on ? ", option on" : ", option off");
    }
  }
}

TEST(FormatOfTest, LooksAtTheFirst4KiBOnly) {
  // The mso processing instruction ends one byte too late, then just in time.
  const std::string mso = "<?mso-application progid=\"Word.Document\"?>";
  std::string head = std::string(kFormatHeadBytes + 1 - mso.size(), ' ') + mso;
  EXPECT_EQ(FormatOf(head), F::kText);
  head.erase(0, 1);
  EXPECT_EQ(FormatOf(head), F::kWordXml);
}

}  // namespace
}  // namespace talvern
