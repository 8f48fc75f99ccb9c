// Case folding for the fakes' names, which Windows compares without regard to case.
#ifndef TALVERN_TESTS_FAKES_FAKE_TEXT_H_
#define TALVERN_TESTS_FAKES_FAKE_TEXT_H_

#include <cwctype>
#include <string>

namespace talvern {

inline std::wstring FakeLower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_TEXT_H_
