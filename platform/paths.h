// Joining folders and file names, shared by every part that builds a path.
#ifndef TALVERN_PLATFORM_PATHS_H_
#define TALVERN_PLATFORM_PATHS_H_

#include <string>

namespace talvern {

/// `text` with one "\" appended unless it already ends with one (compared by character,
/// so a double-byte character whose ANSI second byte is 0x5C does not count).
std::wstring AddPathSeparator(const std::wstring& text);

/// The "\\?\" form of the full path `full` (absolute, "\" only, no "." or "..", as
/// GetFullPathNameW gives it), which file functions take beyond MAX_PATH: "C:\a" becomes
/// "\\?\C:\a", "\\server\share\a" becomes "\\?\UNC\server\share\a"; a path already
/// in a "\\?\" or "\\.\" form is returned as it is.
std::wstring ExtendedLengthPath(const std::wstring& full);

/// True for a full path: a drive letter, ":" and "\", or "\\" and more (UNC, "\\?\", "\\.\");
/// not "C:a" or "\a", relative to a drive's current folder, nor one written with "/".
bool IsFullPath(const std::wstring& path);

/// The file name at the end of `path`: what follows its last "\" or "/" (all of it when
/// there is none).
std::wstring FileName(const std::wstring& path);

/// The folder of the file `path`: what comes before its file name, without the "\" that ends
/// it, except that a drive root keeps it ("C:\", since "C:" is that drive's current folder).
std::wstring FolderOf(const std::wstring& path);

/// True for the blanks that separate words on a command line: space and tab.
inline bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

/// `c` upper-cased as SamePathText compares it.
wchar_t PathUpper(wchar_t c);

/// True when the paths (or names) `a` and `b` are the same text apart from letter case,
/// compared as Windows compares file names: character by character, each upper-cased on
/// its own (Latin, Greek, Cyrillic and full-width Latin letters).
bool SamePathText(const std::wstring& a, const std::wstring& b);

}  // namespace talvern

#endif  // TALVERN_PLATFORM_PATHS_H_
