// Testing a document's first bytes and handing it to the program that opens it.
#ifndef TALVERN_LAUNCHER_DISPATCH_H_
#define TALVERN_LAUNCHER_DISPATCH_H_

#include <cstdint>
#include <memory>
#include <string>

#include "launcher/formats.h"
#include "launcher/module1.h"

namespace talvern {

/// Upper-case hexadecimal text of `byte` without a leading zero ("D0", "A", "0").
std::wstring HexText(std::uint8_t byte);

/// The compound-file signature as the HexText of each byte, separated by single spaces.
std::wstring SignatureAsText();

/// Reads up to eight bytes of `document` and sets m.NotCompound (cleared first) at the first
/// one that differs from the signature in m.SignatureBytes (or lies past the end). False with
/// `error` when the document cannot be opened or read, is empty text, or the signature table
/// does not hold exactly eight entries. The document is closed again, unless `file` is
/// given: then it receives the open document for further reading.
bool TestSignature(Module1& m, Platform& p, const std::wstring& document, std::wstring* error,
                   std::unique_ptr<ByteReader>* file = nullptr);

/// What ClassifyDocument read of a document and made of it.
struct Classification {
  bool to_word = false;
  /// kCompound; else, when m.WordFormats let the format rules run, what FormatOf found.
  DocumentFormat format = DocumentFormat::kText;
  /// The first bytes as read: a compound file's signature, or the head the rules looked
  /// at; empty when neither (a document tested with m.WordFormats off).
  std::string head;
};

/// Tests `document` and sets `found`: a compound file goes to Word, and so, when
/// m.WordFormats is set, does any other format Word opens (FormatOf), for which only a
/// document that is no compound file has its first kFormatHeadBytes read, in one read.
/// False with `error` when TestSignature fails or those bytes cannot be read.
bool ClassifyDocument(Module1& m, Platform& p, const std::wstring& document, Classification* found,
                      std::wstring* error);

/// Why a program setting is not started; kNone when it may be.
enum class ProgramFault {
  kNone,
  kMissing,      ///< empty, or no file of that path.
  kNotFullPath,  ///< relative, drive- or root-relative: it would be found from the current folder.
  kTalvern,      ///< Talvern itself, by any path, or a copy of it: it would start itself.
  kLeadsBack,    ///< it started Talvern again for the document it was given (never checked).
};

/// What stands in the way of starting `path`, checked in the order of ProgramFault, so that
/// a path that is not full is never looked for.
ProgramFault CheckProgram(Platform& p, const std::wstring& path);

/// The variable Talvern sets to the document it hands on, for the program it starts: a run
/// that finds it (m.HandedOn) naming its own document was started by that program, directly
/// or not.
extern const wchar_t kHandedOnVariable[];

/// Replaces a shortcut (".lnk") in `document` with its target, as Explorer opens it; leaves
/// any other document, and a shortcut that does not exist. False with `error` when an
/// existing shortcut cannot be read.
bool FollowShortcut(Platform& p, std::wstring* document, std::wstring* error);

/// What became of one document.
enum class HandOffResult {
  kStarted,        ///< its program was started.
  kSkipped,        ///< it could not be read or its program not started; the user was told.
  kSettingsShown,  ///< its program is missing: the settings window was shown, the run ends.
};

/// Tests the document `given` (for a shortcut, its target) and starts Word or the text
/// editor for it, with the command line `"<program>" "<document>"`; a program with a
/// ProgramFault, or a run that program started for this same document, shows the settings
/// window.
HandOffResult HandOff(Module1& m, Platform& p, const std::wstring& given);

}  // namespace talvern

#endif  // TALVERN_LAUNCHER_DISPATCH_H_
