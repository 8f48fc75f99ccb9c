// Registry text as Windows stores it: UTF-16LE (the unit tests' wchar_t holds no more).
#include "platform/platform.h"

namespace talvern {

RawValue RawValue::Text(const std::wstring& text) {
  RawValue value;
  value.type = kText;
  for (wchar_t c : text + L'\0') {
    const auto code = static_cast<std::uint32_t>(std::char_traits<wchar_t>::to_int_type(c));
    value.bytes += {static_cast<char>(code & 0xFF), static_cast<char>((code >> 8) & 0xFF)};
  }
  return value;
}

bool RawValue::GetText(std::wstring* text) const {
  if (type != kText && type != kExpandableText) return false;
  text->clear();
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit == L'\0') break;
    *text += unit;
  }
  return true;
}

}  // namespace talvern
