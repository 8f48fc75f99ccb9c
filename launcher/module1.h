// The start-up module: the state shared with the settings window, the start-up
// procedure and the small path helpers.
#ifndef TALVERN_LAUNCHER_MODULE1_H_
#define TALVERN_LAUNCHER_MODULE1_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {

/// State shared by the start-up procedure and the settings window for the whole run.
struct Module1 {
  std::wstring WordPath;  ///< Word executable, exactly as stored or detected.
  std::wstring TextPath;  ///< Text editor executable, exactly as stored or detected.
  bool WordPathInvalid = false;
  bool TextPathInvalid = false;
  /// The invalid flag was set because the program led back to Talvern for the same document.
  bool LeadsBack = false;
  /// The document Talvern handed on to the program that started this run, if one did.
  std::wstring HandedOn;
  /// The other formats Word opens go to Word too (Data.ini [OPTION] WORDFORMATS=1).
  bool WordFormats = false;
  bool NotCompound = false;
  std::wstring SignatureText;
  std::vector<std::wstring> SignatureBytes;
  std::uint8_t HeaderBytes[9] = {};
  std::vector<std::wstring> Args;
  std::wstring QuotedDocument;
  /// The programs found fit to start in this run (CheckProgram), by path.
  std::vector<std::wstring> ProgramsFit;
};

/// The whole run: reads the settings, then shows the settings window or dispatches the
/// documents named by `argument_text` (the command line without the program's name).
void Main(Module1& m, Platform& p, const std::wstring& argument_text);

/// True when a file (not a folder) of that path exists.
bool CheckFileExists(Platform& p, const std::wstring& path);

/// Marker returned by BrowseForExecutable when nothing was chosen.
extern const wchar_t kNoChoice[];

/// Shows the open-file dialog over `owner` for an existing file matching `filter`, opening in
/// `folder`; the chosen full path, or empty text (also when the dialog failed: the user is told).
std::wstring ChooseFile(Platform& p, void* owner, const std::wstring& filter,
                        const std::wstring& folder);

/// Shows the open-file dialog for executables over `owner`; the chosen full path, or "1"
/// (also when the dialog failed, which the user is told).
std::wstring BrowseForExecutable(Platform& p, void* owner, const std::wstring& initial_folder);

}  // namespace talvern

#endif  // TALVERN_LAUNCHER_MODULE1_H_
