// The format rules checked by what they promise, not by how they decide: only the first
// kFormatHeadBytes bytes count, and the same bytes always get the same verdict; the
// signatures count at byte 0 only; a page may have a byte-order mark, white space and a
// comment before its markup; a Word XML or HTML marker counts only when it ends within the head;
// an MHT header counts only before the first blank line; and text built only from bytes
// that no marker needs is text.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "launcher/formats.h"
#include "tests/fuzz/fuzz_support.h"

namespace talvern {
namespace {

constexpr std::size_t kHead = kFormatHeadBytes;

// Every marker needs '<' (XML, HTML), ':' (MIME headers), '{' (RTF), a control byte other
// than white space (the binary signatures, and the zero bytes that make ASCII markup out
// of UTF-16), so text without them is text whatever its order.
std::string SafeAlphabet(bool newlines) {
  std::string alphabet = newlines ? " \t\r\n" : " \t";
  for (int c = 0x20; c <= 0xFF; ++c) {
    if (c != '<' && c != ':' && c != '{' && c != 0x7F) alphabet += static_cast<char>(c);
  }
  return alphabet;
}
const std::string kSafe = SafeAlphabet(true);
const std::string kSafeLine = SafeAlphabet(false);
const std::string kNonBlank = "abcxyz0123456789";
const std::string kBlanks = " \t\r\n";

struct Bytes {
  const char* data;
  std::size_t size;
  std::string str() const { return std::string(data, size); }
};

// Formats known by their first bytes alone.
const Bytes kSignatures[] = {
    {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8},
    {"{\\rtf", 5},
    {"PK\x03\x04", 4},
    {"\xDB\xA5\x2D\x00", 4},
    {"\x31\xBE\x00\x00\x00\xAB", 6},
};

// Markup that makes a document Word's. Cut anywhere it is not; with only its delimiter
// cut off (the blank or ">" after a name) either verdict is fair.
struct Markup {
  const char* text;
  std::size_t delimiter;  ///< 1 when it ends in a delimiter, else 0.
};
const Markup kHtml[] = {{"<html>", 1}, {"<html ", 1}, {"<!doctype html>", 1}};
const Markup kWordXml[] = {{"<?mso-application progid=\"Word.Document\"?>", 0},
                           {"<w:wordDocument ", 1},
                           {"<w:wordDocument>", 1},
                           {"<pkg:package><pkg:part pkg:name=\"/word/document.xml\"", 0}};
// XML that only looks like Word's, a package without a Word document among them.
const char* const kOtherXml[] = {"<w:document ", "<root>",
                                 "<?mso-application progid=\"Excel.Sheet\"?>", "<pkg:package "};
const char* const kOtherHeaders[] = {"From: ", "Subject: ", "Date: ", "X-MimeOLE: "};

/// Exactly `length` bytes from `alphabet` (its first once the input runs out).
std::string ConsumeFrom(FuzzedDataProvider& in, const std::string& alphabet, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i != length; ++i) {
    text += alphabet[in.ConsumeIntegralInRange<std::size_t>(0, alphabet.size() - 1)];
  }
  return text;
}

std::string ConsumeSafe(FuzzedDataProvider& in, const std::string& alphabet, std::size_t max) {
  return ConsumeFrom(in, alphabet, in.ConsumeIntegralInRange<std::size_t>(0, max));
}

std::wstring Shown(const std::string& doc) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring text = std::to_wstring(doc.size()) + L" bytes: ";
  for (std::size_t i = 0; i != doc.size() && i != 96; ++i) {
    const auto c = static_cast<unsigned char>(doc[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      text += static_cast<wchar_t>(c);
    } else {
      text += std::wstring(L"\\x") + kHex[c >> 4] + kHex[c & 0xF];
    }
  }
  return text;
}

// The verdict on an exact-size copy, so that a read past the end is a sanitizer report.
DocumentFormat Verdict(const std::string& doc) {
  std::unique_ptr<char[]> copy(new char[doc.size()]);
  if (!doc.empty()) std::memcpy(copy.get(), doc.data(), doc.size());
  return FormatOf(std::string_view(copy.get(), doc.size()));
}

bool ToWord(const std::string& doc) { return Verdict(doc) != DocumentFormat::kText; }

// Same verdict again, and for the head alone; once the document fills the head, bytes
// appended or changed after it change nothing.
void CheckHeadOnly(FuzzedDataProvider& in, const std::string& doc) {
  const DocumentFormat verdict = Verdict(doc);
  FUZZ_CHECK(Verdict(doc) == verdict, Shown(doc));
  FUZZ_CHECK(Verdict(doc.substr(0, kHead)) == verdict, Shown(doc));
  std::string full = doc;
  if (full.size() < kHead)
    full.resize(kHead, static_cast<char>(in.ConsumeIntegral<std::uint8_t>()));
  const DocumentFormat full_verdict = Verdict(full);
  std::string longer = full + in.ConsumeRandomLengthString(64);
  FUZZ_CHECK(Verdict(longer) == full_verdict, Shown(full));
  for (std::size_t i = kHead; i < longer.size(); ++i) longer[i] = static_cast<char>(~longer[i]);
  FUZZ_CHECK(Verdict(longer) == full_verdict, Shown(full));
}

std::string Cased(FuzzedDataProvider& in, const char* ascii) {
  std::string text(ascii);
  for (char& c : text) {
    if (c >= 'a' && c <= 'z' && in.ConsumeBool()) c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Markup that starts at byte `at`, in code units of `unit` bytes, counts when it ends
// within the head and not when the head cuts it short.
void CheckMarkup(const std::string& doc, std::size_t at, const Markup& markup, std::size_t unit) {
  const std::size_t length = std::strlen(markup.text);
  if (at + unit * length <= kHead) FUZZ_CHECK(ToWord(doc), Shown(doc));
  if (at + unit * (length - markup.delimiter) > kHead) FUZZ_CHECK(!ToWord(doc), Shown(doc));
}

// A page: an optional byte-order mark and white space, then the markup in any case and
// encoding, then anything.
std::string HtmlPage(FuzzedDataProvider& in) {
  const Markup& markup = fuzz::Pick(in, kHtml);
  const std::string blanks = ConsumeSafe(in, kBlanks, in.ConsumeBool() ? 8 : kHead);
  const std::string comment =
      in.ConsumeBool() ? "<!-- saved from url=(0014)about:internet -->" : "";
  const std::string page = comment + blanks + Cased(in, markup.text);
  std::string doc;
  std::size_t unit = 1;
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      break;
    case 1:
      doc = "\xEF\xBB\xBF";
      break;
    default:
      unit = 2;
      const bool big_endian = in.ConsumeBool();
      doc = big_endian ? "\xFE\xFF" : "\xFF\xFE";
      for (char c : page) doc += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
  }
  if (unit == 1) doc += page;
  const std::size_t at = doc.size() - unit * std::strlen(markup.text);
  doc += in.ConsumeRandomLengthString(64);
  CheckMarkup(doc, at, markup, unit);
  return doc;
}

// XML with a Word marker after its declaration and white space, or with other markup.
std::string Xml(FuzzedDataProvider& in) {
  std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
  doc += ConsumeSafe(in, kBlanks, in.ConsumeBool() ? 8 : kHead);
  if (in.ConsumeBool()) {
    doc += fuzz::Pick(in, kOtherXml) + ConsumeSafe(in, kSafe, 64);
    FUZZ_CHECK(!ToWord(doc), Shown(doc));
    return doc;
  }
  const Markup& markup = fuzz::Pick(in, kWordXml);
  const std::size_t at = doc.size();
  doc += markup.text + in.ConsumeRandomLengthString(64);
  CheckMarkup(doc, at, markup, 1);
  return doc;
}

// A MIME header block: MIME-Version with a multipart/related Content-Type before the first
// blank line; MIME-Version alone, or one of them after it, does not count.
std::string Mht(FuzzedDataProvider& in) {
  const std::string eol = in.ConsumeBool() ? "\r\n" : "\n";
  const std::string version = "MIME-Version: 1.0" + eol;
  if (in.ConsumeBool()) {
    const std::string doc = version + ConsumeSafe(in, kSafe, 256);
    FUZZ_CHECK(!ToWord(doc), Shown(doc));
    return doc;
  }
  std::string headers = fuzz::Pick(in, kOtherHeaders) + ConsumeSafe(in, kSafeLine, 40) + eol;
  std::string related = "Content-Type: multipart/related; type=\"text/html\"" + eol;
  std::string late = version;
  if (in.ConsumeBool()) std::swap(late, related);
  headers += related;
  const bool both = in.ConsumeBool();
  std::string doc = headers + (both ? late : "") + eol + ConsumeSafe(in, kSafe, 64);
  if (!both) doc += eol + late;
  FUZZ_CHECK(ToWord(doc) == both, Shown(doc));
  return doc;
}

// A near miss: safe text, with a signature or HTML markup somewhere past its start.
std::string Misplaced(FuzzedDataProvider& in) {
  std::string doc = ConsumeFrom(in, kNonBlank, 1) + ConsumeSafe(in, kSafe, 16);
  doc += in.ConsumeBool() ? fuzz::Pick(in, kSignatures).str() : fuzz::Pick(in, kHtml).text;
  doc += ConsumeSafe(in, kSafe, 64);
  FUZZ_CHECK(!ToWord(doc), Shown(doc));
  return doc;
}

std::string Document(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 6)) {
    case 0: {  // anything at all
      return in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 2 * kHead));
    }
    case 1: {  // a signature at the start counts, whatever follows
      const std::string doc = fuzz::Pick(in, kSignatures).str() + in.ConsumeRandomLengthString(64);
      FUZZ_CHECK(ToWord(doc), Shown(doc));
      return doc;
    }
    case 2: {  // plain text, without a byte any marker needs
      const std::string doc = ConsumeSafe(in, kSafe, in.ConsumeBool() ? 64 : 2 * kHead);
      FUZZ_CHECK(!ToWord(doc), Shown(doc));
      return doc;
    }
    case 3:
      return HtmlPage(in);
    case 4:
      return Xml(in);
    case 5:
      return Mht(in);
    default:
      return Misplaced(in);
  }
}

void Run(FuzzedDataProvider& in) {
  const std::string doc = Document(in);
  CheckHeadOnly(in, doc);
}

}  // namespace
}  // namespace talvern

TALVERN_FUZZ_TARGET(talvern::Run)
