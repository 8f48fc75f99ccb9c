// Turning the command line's argument text back into document paths.
#ifndef TALVERN_LAUNCHER_ARGUMENTS_H_
#define TALVERN_LAUNCHER_ARGUMENTS_H_

#include <cstddef>
#include <string>
#include <vector>

namespace talvern {

/// `text` split at every single space: k spaces give k + 1 pieces, empty ones included.
std::vector<std::wstring> SplitAtSpaces(const std::wstring& text);

/// True when `piece` begins a new document: a drive letter path ("X:..."), a quoted path
/// or a network path ("\\..."). A name cannot hold a double quote, and a path cannot have
/// a name that ends in a space right before "\\", so joining such a piece never made a
/// usable path.
bool StartsNewDocument(const std::wstring& piece);

/// Joins pieces from `args[*i]` on into one document, stored in the entry of its last
/// piece, leaves `*i` there and returns that entry without one enclosing pair of quotes.
std::wstring NextDocument(std::vector<std::wstring>& args, std::size_t* i);

/// The argument text of a full process command line: the program name (quoted or not)
/// and the blanks after it skipped.
std::wstring ArgumentText(const std::wstring& command_line);

}  // namespace talvern

#endif  // TALVERN_LAUNCHER_ARGUMENTS_H_
