#include "platform/paths.h"

#include <cstdint>

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

bool IsFullPath(const std::wstring& path) {
  const wchar_t c = path.size() > 2 ? path[0] : L'\0';
  const bool drive = ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z')) && path[1] == L':';
  return drive ? path[2] == L'\\' : c == L'\\' && path[1] == L'\\';
}

std::wstring FileName(const std::wstring& path) {
  return path.substr(path.find_last_of(L"\\/") + 1);
}

std::wstring FolderOf(const std::wstring& path) {
  std::wstring folder = path.substr(0, path.size() - FileName(path).size());
  if (!folder.empty()) folder.pop_back();
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return folder;
}

// One character upper-cased as Windows does it for file names: one to one, whatever the
// locale ("ß" stays), here for the Latin, Greek, Cyrillic and full-width Latin letters.
// Each row: a range of which every `step`th character is a small letter `offset` away
// from its capital.
wchar_t PathUpper(wchar_t c) {
  static const struct {
    std::uint16_t first, last, step;
    std::int16_t offset;
  } kRanges[] = {
      {0x61, 0x7A, 1, -32},   {0xE0, 0xF6, 1, -32},   {0xF8, 0xFE, 1, -32},
      {0xFF, 0xFF, 1, 0x79},  {0x101, 0x12F, 2, -1},  {0x133, 0x137, 2, -1},
      {0x13A, 0x148, 2, -1},  {0x14B, 0x177, 2, -1},  {0x17A, 0x17E, 2, -1},
      {0x3B1, 0x3C1, 1, -32}, {0x3C2, 0x3C2, 1, -31}, {0x3C3, 0x3CB, 1, -32},
      {0x430, 0x44F, 1, -32}, {0x450, 0x45F, 1, -80}, {0xFF41, 0xFF5A, 1, -32},
  };
  const auto code = static_cast<std::uint32_t>(std::char_traits<wchar_t>::to_int_type(c));
  for (const auto& range : kRanges) {
    if (code >= range.first && code <= range.last && (code - range.first) % range.step == 0) {
      return static_cast<wchar_t>(static_cast<std::int32_t>(code) + range.offset);
    }
  }
  return c;
}

bool SamePathText(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (PathUpper(a[i]) != PathUpper(b[i])) return false;
  }
  return true;
}

}  // namespace talvern
