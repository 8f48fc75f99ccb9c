// Where the word processor lives, read from its registration rather than by starting it:
// starting it can take seconds, or forever behind a dialog nobody sees.
#ifndef TALVERN_WINDOW_WORD_LOCATION_H_
#define TALVERN_WINDOW_WORD_LOCATION_H_

#include <string>

#include "platform/platform.h"

namespace talvern {

/// The existing file a local server command starts, as the system reads the command: a
/// quoted path, or else the shortest run of words up to a space that names a file (older
/// installers wrote paths with spaces unquoted); arguments after it are ignored.
/// Environment variables are expanded in a REG_EXPAND_SZ command. Empty when it names no
/// existing file by its full path, or is no text.
std::wstring ServerProgram(const RawValue& command, FileSystem& files, Environment& env);

/// The word processor's file in its folder.
constexpr wchar_t kWordProgramName[] = L"Winword.exe";

/// The folder of the word processor registered as `prog_id`: that of the first registered
/// local server that names an existing file in a folder holding kWordProgramName, which must
/// pass CheckProgram (another suite may serve the class with a program of its own). Only a
/// class with no local server at all is asked through its automation object (in process, so
/// nothing is started), whose Path must pass the same. False with `folder` untouched when
/// neither answers; never shows a message of its own.
bool FindWordFolder(Platform& p, const std::wstring& prog_id, std::wstring* folder);

}  // namespace talvern

#endif  // TALVERN_WINDOW_WORD_LOCATION_H_
