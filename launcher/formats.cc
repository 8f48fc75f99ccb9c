#include "launcher/formats.h"

#include <string>
#include <utility>
#include <vector>

namespace talvern {

namespace {

using std::string_view;
constexpr std::size_t kNone = std::string::npos;

bool StartsWith(string_view bytes, string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualAnyCase(string_view a, string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i != a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// True when `text` holds `ascii` at `at`; letters compared without regard to case when
// `any_case` is set.
bool MatchesAt(string_view text, std::size_t at, string_view ascii, bool any_case = false) {
  if (at > text.size() || text.size() - at < ascii.size()) return false;
  const string_view here = text.substr(at, ascii.size());
  return any_case ? EqualAnyCase(here, ascii) : here == ascii;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

std::size_t SkipSpace(string_view text, std::size_t at) {
  while (at < text.size() && IsSpace(text[at])) ++at;
  return at;
}

// The head as text, one char per code unit, without its byte-order mark: UTF-16 in either
// byte order (marked, or unmarked when its first character is ASCII) or single bytes.
// Every rule below compares with ASCII markup, so units beyond ASCII all become 0x80.
std::string AsText(string_view head) {
  std::size_t at = 0;
  std::size_t unit = 1;
  bool big_endian = false;
  if (StartsWith(head, "\xEF\xBB\xBF")) {
    at = 3;
  } else if (StartsWith(head, "\xFF\xFE") || StartsWith(head, "\xFE\xFF")) {
    at = 2;
    unit = 2;
    big_endian = head[0] == '\xFE';
  } else if (head.size() >= 2 && (head[0] == '\0') != (head[1] == '\0')) {
    unit = 2;
    big_endian = head[0] == '\0';
  }
  std::string text;
  text.reserve(head.size() / unit);
  for (; head.size() - at >= unit; at += unit) {
    unsigned value = static_cast<unsigned char>(head[at]);
    if (unit == 2) {
      const unsigned next = static_cast<unsigned char>(head[at + 1]);
      value = big_endian ? (value << 8 | next) : (next << 8 | value);
    }
    text += value < 0x80 ? static_cast<char>(value) : '\x80';
  }
  return text;
}

// Where the XML name that starts at `at` ends; kNone when it runs to the end of the text.
std::size_t NameEnd(string_view text, std::size_t at) {
  while (at < text.size() && !IsSpace(text[at]) && text[at] != '>' && text[at] != '/' &&
         text[at] != '?') {
    ++at;
  }
  return at < text.size() ? at : kNone;
}

// The value of pseudo-attribute `name` among those of a processing instruction
// (name="value" ...); false when it has none.
bool PseudoAttribute(string_view content, string_view name, string_view* value) {
  std::size_t at = SkipSpace(content, 0);
  while (at < content.size()) {
    const std::size_t equals = content.find('=', at);
    if (equals == kNone) return false;
    string_view key = content.substr(at, equals - at);
    while (!key.empty() && IsSpace(key.back())) key.remove_suffix(1);
    const std::size_t open = SkipSpace(content, equals + 1);
    if (open >= content.size() || (content[open] != '"' && content[open] != '\'')) return false;
    const std::size_t close = content.find(content[open], open + 1);
    if (close == kNone) return false;
    if (key == name) {
      *value = content.substr(open + 1, close - open - 1);
      return true;
    }
    at = SkipSpace(content, close + 1);
  }
  return false;
}

// Just past the ">" that ends the document type declaration at `at` (which may hold an
// internal subset in brackets and quoted literals); kNone when it does not end.
std::size_t DoctypeEnd(string_view text, std::size_t at) {
  int depth = 0;
  char quote = 0;
  for (std::size_t i = at + 2; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++depth;
    } else if (c == ']' && depth > 0) {
      --depth;
    } else if (c == '>' && depth == 0) {
      return i + 1;
    }
  }
  return kNone;
}

// What comes before the first element of a web page or an XML document.
struct Prolog {
  bool html_doctype = false;  ///< "<!DOCTYPE html" and a blank or ">".
  bool mso = false;           ///< an <?mso-application?> with a progid: the program it names.
  string_view progid;
  string_view root;  ///< the first element's name; empty when the head ends before it does.
  std::size_t after_root = kNone;
};

// Reads white space, processing instructions (the XML declaration among them), comments
// and a document type declaration, up to the first element.
Prolog ReadProlog(const std::string& text) {
  Prolog prolog;
  std::size_t at = 0;
  for (;;) {
    at = SkipSpace(text, at);
    if (MatchesAt(text, at, "<?")) {
      const std::size_t end = text.find("?>", at + 2);
      if (end == kNone) return prolog;
      const std::size_t target_end = NameEnd(text, at + 2);
      const string_view target(text.data() + at + 2, target_end - at - 2);
      const string_view content(text.data() + target_end, end - target_end);
      if (target == "mso-application" && !prolog.mso) {
        prolog.mso = PseudoAttribute(content, "progid", &prolog.progid);
      }
      at = end + 2;
    } else if (MatchesAt(text, at, "<!--")) {
      const std::size_t end = text.find("-->", at + 4);
      if (end == kNone) return prolog;
      at = end + 3;
    } else if (MatchesAt(text, at, "<!doctype", true)) {
      const std::size_t name = SkipSpace(text, at + 9);
      const std::size_t after = name + 4;
      prolog.html_doctype |= name != at + 9 && MatchesAt(text, name, "html", true) &&
                             after < text.size() && (IsSpace(text[after]) || text[after] == '>');
      at = DoctypeEnd(text, at);
      if (at == kNone) return prolog;
    } else if (MatchesAt(text, at, "<")) {
      const std::size_t end = NameEnd(text, at + 1);
      if (end == kNone) return prolog;
      prolog.root = string_view(text.data() + at + 1, end - at - 1);
      prolog.after_root = end;
      return prolog;
    } else {
      return prolog;
    }
  }
}

// A flat package holds a Word document when one of its parts is Word's main part.
bool HoldsWordDocument(string_view text, std::size_t from) {
  const string_view kName = "pkg:name=";
  const string_view kPart = "/word/document.xml";
  for (std::size_t at = text.find(kName, from); at != kNone; at = text.find(kName, at + 1)) {
    const std::size_t open = at + kName.size();
    if (open < text.size() && (text[open] == '"' || text[open] == '\'') &&
        MatchesAt(text, open + 1, kPart) &&
        MatchesAt(text, open + 1 + kPart.size(), {&text[open], 1})) {
      return true;
    }
  }
  return false;
}

// XML that names Word in <?mso-application progid="Word.Document"?>, or whose first element
// is w:wordDocument, or a flat package that holds a Word document.
bool IsWordXml(const std::string& text, const Prolog& prolog) {
  if (prolog.mso) return prolog.progid == "Word.Document";
  if (prolog.root == "w:wordDocument") return true;
  return prolog.root == "pkg:package" && HoldsWordDocument(text, prolog.after_root);
}

// A page with an HTML document type or an "html" first element, in any letter case; not
// one that names another Office program.
bool IsHtml(const Prolog& prolog) {
  if (prolog.mso && prolog.progid != "Word.Document") return false;
  return prolog.html_doctype || EqualAnyCase(prolog.root, "html");
}

// A header line's field name: printable ASCII without blanks or ":".
bool IsFieldName(string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (c <= ' ' || c > '~') return false;
  }
  return true;
}

// "multipart/related" as the whole media type of a Content-Type value.
bool IsMultipartRelated(string_view value) {
  const std::size_t at = SkipSpace(value, 0);
  if (!MatchesAt(value, at, "multipart/related", true)) return false;
  const std::size_t after = at + 17;
  return after == value.size() || value[after] == ';' || IsSpace(value[after]);
}

// A MIME web archive: the header lines before the first blank line (folded lines joined)
// hold MIME-Version and a Content-Type of multipart/related. A line that is not a header
// means this is no header block.
bool IsMht(const std::string& text) {
  std::vector<std::pair<string_view, std::string>> headers;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == kNone) end = text.size();
    string_view line(text.data() + at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;
    if (line[0] == ' ' || line[0] == '\t') {
      if (headers.empty()) return false;
      headers.back().second.append(" ").append(line);
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == kNone || !IsFieldName(line.substr(0, colon))) return false;
    headers.emplace_back(line.substr(0, colon), std::string(line.substr(colon + 1)));
  }
  bool version = false, related = false;
  for (const auto& header : headers) {
    version = version || EqualAnyCase(header.first, "MIME-Version");
    related = related ||
              (EqualAnyCase(header.first, "Content-Type") && IsMultipartRelated(header.second));
  }
  return version && related;
}

struct Signature {
  DocumentFormat format;
  string_view bytes;
};

const Signature kSignatures[] = {
    {DocumentFormat::kCompound, kCompoundSignature},
    {DocumentFormat::kRtf, {"{\\rtf", 5}},
    {DocumentFormat::kZipPackage, {"PK\x03\x04", 4}},
    {DocumentFormat::kWord2, {"\xDB\xA5\x2D\x00", 4}},
    {DocumentFormat::kWordForDos, {"\x31\xBE\x00\x00\x00\xAB", 6}},
};

}  // namespace

DocumentFormat FormatOf(std::string_view head) {
  head = head.substr(0, kFormatHeadBytes);
  for (const Signature& signature : kSignatures) {
    if (StartsWith(head, signature.bytes)) return signature.format;
  }
  const std::string text = AsText(head);
  const Prolog prolog = ReadProlog(text);
  if (IsWordXml(text, prolog)) return DocumentFormat::kWordXml;
  if (IsHtml(prolog)) return DocumentFormat::kHtml;
  return IsMht(text) ? DocumentFormat::kMht : DocumentFormat::kText;
}

const char* FormatName(DocumentFormat format) {
  switch (format) {
    case DocumentFormat::kText:
      return "text";
    case DocumentFormat::kCompound:
      return "compound file";
    case DocumentFormat::kRtf:
      return "RTF";
    case DocumentFormat::kZipPackage:
      return "ZIP package";
    case DocumentFormat::kWordXml:
      return "Word XML";
    case DocumentFormat::kHtml:
      return "HTML";
    case DocumentFormat::kMht:
      return "MHT";
    case DocumentFormat::kWord2:
      return "Word 2.0";
    case DocumentFormat::kWordForDos:
      return "Word for DOS";
  }
  return "?";
}

}  // namespace talvern
