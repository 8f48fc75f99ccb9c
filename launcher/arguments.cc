#include "launcher/arguments.h"

namespace talvern {

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
  const std::size_t last = args.size() - 1;
  while (*i + 1 <= last && !StartsNewDocument(args[*i + 1])) {
    ++*i;
    args[*i] = args[*i - 1] + L" " + args[*i];
  }
  std::wstring& document = args[*i];
  if (!document.empty() && document.front() == L'"') document.erase(0, 1);
  if (!document.empty() && document.back() == L'"') document.pop_back();
  return document;
}

std::wstring ArgumentText(const std::wstring& command_line) {
  std::size_t pos = 0;
  if (!command_line.empty() && command_line[0] == L'"') {
    std::size_t close = command_line.find(L'"', 1);
    pos = close == std::wstring::npos ? command_line.size() : close + 1;
  }
  while (pos < command_line.size() && command_line[pos] != L' ' && command_line[pos] != L'\t') {
    ++pos;
  }
  while (pos < command_line.size() && (command_line[pos] == L' ' || command_line[pos] == L'\t')) {
    ++pos;
  }
  return command_line.substr(pos);
}

}  // namespace talvern
