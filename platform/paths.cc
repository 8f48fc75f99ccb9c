#include "platform/paths.h"

namespace talvern {

std::wstring AddPathSeparator(const std::wstring& text) {
  if (!text.empty() && text.back() == L'\\') return text;
  return text + L"\\";
}

std::wstring ExtendedLengthPath(const std::wstring& full) {
  if (full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0) return full;
  if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace talvern
