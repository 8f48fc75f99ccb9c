#include "platform/paths.h"

namespace talvern {

std::wstring AddPathSeparator(const std::wstring& text) {
  if (!text.empty() && text.back() == L'\\') return text;
  return text + L"\\";
}

}  // namespace talvern
