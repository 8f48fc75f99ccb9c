// Testing a document's first bytes and handing it to the program that opens it.
#ifndef TALVERN_LAUNCHER_DISPATCH_H_
#define TALVERN_LAUNCHER_DISPATCH_H_

#include <cstdint>
#include <string>

#include "launcher/module1.h"

namespace talvern {

/// Upper-case hexadecimal text of `byte` without a leading zero ("D0", "A", "0").
std::wstring HexText(std::uint8_t byte);

/// Reads up to eight bytes of `document` and sets m.NotCompound (cleared first) at the first
/// one that differs from the signature in m.SignatureBytes (or lies past the end). False with
/// `error` when the document cannot be opened or read, is empty text, or the signature table
/// does not hold exactly eight entries.
bool TestSignature(Module1& m, Platform& p, const std::wstring& document, std::wstring* error);

/// What became of one document.
enum class HandOffResult {
  kStarted,        ///< its program was started.
  kSkipped,        ///< it could not be read or its program not started; the user was told.
  kSettingsShown,  ///< its program is missing: the settings window was shown, the run ends.
};

/// Tests `document` and starts Word or the text editor for it.
HandOffResult HandOff(Module1& m, Platform& p, const std::wstring& document);

}  // namespace talvern

#endif  // TALVERN_LAUNCHER_DISPATCH_H_
