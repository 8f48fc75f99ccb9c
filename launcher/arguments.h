// Turning the command line's argument text back into document paths.
#ifndef TALVERN_LAUNCHER_ARGUMENTS_H_
#define TALVERN_LAUNCHER_ARGUMENTS_H_

#include <cstddef>
#include <functional>
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
/// piece, leaves `*i` there and returns that entry without trailing spaces and without one
/// enclosing pair of quotes; it never ends in a space. Empty text names no document (skip
/// it), also when `*i` is not an index of `args`.
std::wstring NextDocument(std::vector<std::wstring>& args, std::size_t* i);

/// The argument text of a full process command line: the program name and the blanks after
/// it skipped. `own_path` is the running executable's full path as the system gives it,
/// `other_forms` gives its other forms (short, long): when the line starts with one of them
/// unquoted, the whole path is the program name, even with spaces in it; otherwise the name
/// ends at its closing quote or first blank. `other_forms` is called only when the line
/// starts with neither a quote nor `own_path`.
std::wstring ArgumentText(const std::wstring& command_line, const std::wstring& own_path,
                          const std::function<std::vector<std::wstring>()>& other_forms);

}  // namespace talvern

#endif  // TALVERN_LAUNCHER_ARGUMENTS_H_
