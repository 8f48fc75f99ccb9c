#include "platform/decimal.h"

namespace talvern {

std::wstring DecimalText(unsigned long long value) {
  wchar_t digits[20];  // 18446744073709551615, the largest value, has 20
  wchar_t* first = digits + 20;
  do {
    *--first = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  return std::wstring(first, digits + 20);
}

}  // namespace talvern
