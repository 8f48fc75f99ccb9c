#include "launcher/arguments.h"

#include "platform/paths.h"

namespace talvern {

namespace {

// Length of the own name that `command_line` starts with, unquoted and followed by a blank
// or the end; 0 when none does. File names compare without regard to letter case.
std::size_t OwnNameLength(const std::wstring& command_line,
                          const std::vector<std::wstring>& own_names) {
  std::size_t longest = 0;
  for (const std::wstring& name : own_names) {
    if (name.empty() || name.size() <= longest || name.size() > command_line.size()) continue;
    if (name.size() < command_line.size() && !IsBlank(command_line[name.size()])) continue;
    if (SamePathText(name, command_line.substr(0, name.size()))) longest = name.size();
  }
  return longest;
}

}  // namespace

std::vector<std::wstring> SplitAtSpaces(const std::wstring& text) {
  std::vector<std::wstring> pieces;
  std::size_t start = 0;
  for (;;) {
    std::size_t space = text.find(L' ', start);
    if (space == std::wstring::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, space - start));
    start = space + 1;
  }
}

bool StartsNewDocument(const std::wstring& piece) {
  if (piece.size() >= 2 && piece[1] == L':') return true;
  if (!piece.empty() && piece[0] == L'"') return true;
  return piece.size() >= 2 && piece[0] == L'\\' && piece[1] == L'\\';
}

std::wstring NextDocument(std::vector<std::wstring>& args, std::size_t* i) {
  if (*i >= args.size()) return std::wstring();
  const std::size_t last = args.size() - 1;
  while (*i + 1 <= last && !StartsNewDocument(args[*i + 1])) {
    ++*i;
    args[*i] = args[*i - 1] + L" " + args[*i];
  }
  // Windows paths never end in a space: spaces there are separators that came with the
  // document (two between documents, or one at the end of the line). A closing quote
  // right after a space is a piece of its own, which starts a new document, so what is
  // left once the quotes are off cannot end in a space either.
  std::wstring& document = args[*i];
  while (!document.empty() && document.back() == L' ') document.pop_back();
  if (!document.empty() && document.front() == L'"') document.erase(0, 1);
  if (!document.empty() && document.back() == L'"') document.pop_back();
  return document;
}

std::wstring ArgumentText(const std::wstring& command_line, const std::wstring& own_path,
                          const std::function<std::vector<std::wstring>()>& other_forms) {
  std::size_t pos = 0;
  if (!command_line.empty() && command_line[0] == L'"') {
    const std::size_t close = command_line.find(L'"', 1);
    pos = close == std::wstring::npos ? command_line.size() : close + 1;
  } else {
    // The other forms cost the file system a look at every folder of the path: only a line
    // that does not start with the path as given needs them.
    pos = OwnNameLength(command_line, {own_path});
    if (pos == 0) pos = OwnNameLength(command_line, other_forms());
  }
  while (pos < command_line.size() && !IsBlank(command_line[pos])) ++pos;
  while (pos < command_line.size() && IsBlank(command_line[pos])) ++pos;
  return command_line.substr(pos);
}

}  // namespace talvern
