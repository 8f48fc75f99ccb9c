#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>

namespace talvern {
namespace fuzz {

void Fail(const char* file, int line, const char* condition, const std::wstring& detail) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n  %s\n", file, line, condition,
               Utf8(detail).c_str());
  std::abort();
}

std::string Utf8(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code < 0x80) {
      bytes += static_cast<char>(code);
    } else if (code < 0x800) {
      bytes += static_cast<char>(0xC0 | (code >> 6));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      bytes += static_cast<char>(0xE0 | ((code >> 12) & 0x0F));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return bytes;
}

std::wstring Listed(const std::vector<std::wstring>& items) {
  std::wstring text;
  for (const std::wstring& item : items) {
    if (!text.empty()) text += L" | ";
    text += L"[" + item + L"]";
  }
  return text;
}

std::wstring ConsumeText(FuzzedDataProvider& in, const std::wstring& alphabet,
                         std::size_t max_length) {
  const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, max_length);
  std::wstring text;
  for (std::size_t i = 0; i != length && in.remaining_bytes() != 0; ++i) {
    text += alphabet[in.ConsumeIntegralInRange<std::size_t>(0, alphabet.size() - 1)];
  }
  return text;
}

std::wstring ConsumePath(FuzzedDataProvider& in) {
  static const std::wstring kNameAlphabet = L"ab.x1-(表ソ  ";
  std::wstring path;
  if (in.ConsumeBool()) {
    path = std::wstring(1, static_cast<wchar_t>(L'C' + in.ConsumeIntegralInRange<int>(0, 3)));
    path += L":";
  } else {
    path = L"\\\\srv\\share";
  }
  const std::size_t names = in.ConsumeIntegralInRange<std::size_t>(1, 3);
  for (std::size_t k = 0; k != names; ++k) {
    std::wstring name = ConsumeText(in, kNameAlphabet, 6);
    // Windows drops spaces at the end of a name, so no name keeps them.
    while (!name.empty() && name.back() == L' ') name.pop_back();
    path += L"\\" + (name.empty() ? std::wstring(L"a") : name);
  }
  return path;
}

}  // namespace fuzz
}  // namespace talvern
