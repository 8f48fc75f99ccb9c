#include "launcher/switches.h"

#include <algorithm>

namespace talvern {
namespace {

// True when text[start, end) is `name` (lower case), letters in any case.
bool IsSwitch(const std::wstring& text, std::size_t start, std::size_t end, const wchar_t* name) {
  for (; start != end && *name; ++start, ++name) {
    const wchar_t c = text[start];
    if (c != *name && !(c >= L'A' && c <= L'Z' && c + (L'a' - L'A') == *name)) return false;
  }
  return start == end && !*name;
}

}  // namespace

unsigned ReadSwitches(const std::wstring& argument_text) {
  static const wchar_t* const kNames[] = {L"/?", L"/unregister", L"/register", L"/sendto"};
  unsigned found = 0;
  bool other = false;
  for (std::size_t start = 0, end; start <= argument_text.size(); start = end + 1) {
    end = std::min(argument_text.find(L' ', start), argument_text.size());
    unsigned bit = 0;
    for (unsigned i = 0; i != 4; ++i) {
      if (IsSwitch(argument_text, start, end, kNames[i])) bit = 1u << i;
    }
    // A document path never is a bare switch: it is full ("C:\...", "\\server\...").
    found |= bit;
    other = other || (bit == 0 && end != start);
  }
  return found != 0 && other ? kMixedSwitches : found;
}

}  // namespace talvern
