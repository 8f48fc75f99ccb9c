// Numbers in messages, written without the C library's formatted output.
#ifndef TALVERN_PLATFORM_DECIMAL_H_
#define TALVERN_PLATFORM_DECIMAL_H_

#include <string>

namespace talvern {

/// `value` in decimal digits, as std::to_wstring writes it. std::to_wstring goes through
/// swprintf, which links MinGW's whole printf (floating point and locales included).
std::wstring DecimalText(unsigned long long value);

}  // namespace talvern

#endif  // TALVERN_PLATFORM_DECIMAL_H_
