#include "launcher/switches.h"

#include "launcher/arguments.h"
#include "platform/paths.h"

namespace talvern {

unsigned ReadSwitches(const std::wstring& argument_text) {
  static const wchar_t* const kNames[] = {L"/?", L"/unregister", L"/register", L"/sendto"};
  unsigned found = 0;
  bool other = false;
  for (const std::wstring& piece : SplitAtSpaces(argument_text)) {
    unsigned bit = 0;
    for (unsigned i = 0; i != 4; ++i) {
      if (SamePathText(piece, kNames[i])) bit = 1u << i;
    }
    // A document path never is a bare switch: it is full ("C:\...", "\\server\...").
    found |= bit;
    other = other || (bit == 0 && !piece.empty());
  }
  return found != 0 && other ? kMixedSwitches : found;
}

}  // namespace talvern
