// The formats besides compound files that Word opens well and a text editor shows as
// markup or binary, told apart by a document's first bytes alone.
#ifndef TALVERN_LAUNCHER_FORMATS_H_
#define TALVERN_LAUNCHER_FORMATS_H_

#include <cstddef>
#include <string_view>

namespace talvern {

/// The first eight bytes of a compound file, the container of Word 97-2003 documents.
constexpr std::string_view kCompoundSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

/// How many of a document's first bytes the format rules look at.
constexpr std::size_t kFormatHeadBytes = 4096;

/// What a document's first bytes make it. Every format but kText goes to Word.
enum class DocumentFormat {
  kText,        ///< anything else: plain text in any encoding, other binaries.
  kCompound,    ///< D0 CF 11 E0 A1 B1 1A E1.
  kRtf,         ///< "{\rtf".
  kZipPackage,  ///< "PK" 03 04: a renamed .docx, .docm, .dotx.
  kWordXml,     ///< Word 2003 XML or flat Word XML, not another Office program's XML.
  kHtml,        ///< a web page or XHTML, also in UTF-16 and after comments.
  kMht,         ///< a MIME web archive.
  kWord2,       ///< Word 2.0: DB A5 2D 00.
  kWordForDos,  ///< Word for DOS and Write: 31 BE 00 00 00 AB.
};

/// The format of a document that begins with `head`; bytes past kFormatHeadBytes are
/// ignored, and a marker that does not end within them does not count.
DocumentFormat FormatOf(std::string_view head);

/// Short English name of `format` ("RTF", "text"...), for test output.
const char* FormatName(DocumentFormat format);

}  // namespace talvern

#endif  // TALVERN_LAUNCHER_FORMATS_H_
