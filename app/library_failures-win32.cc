// How libstdc++'s inline code reports a failure (a length beyond max_size(), a position out
// of range, a failed precondition check), defined here so that the library's own versions
// stay out of the exe: they build standard exceptions that carry strings, and with them
// pull in the library's whole prebuilt string classes (cmake/windows.cmake). GNU only.
#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>

#include "launcher/module1.h"
#include "platform/decimal.h"

namespace {

// Text in a buffer of fixed size, cut to fit: what the exception carries, not a string.
class BoundedText {
 public:
  void Append(const char* text) {
    for (; *text != '\0'; ++text) Append(*text);
  }
  void Append(char c) {
    if (length_ + 1 < sizeof(text_)) text_[length_++] = c;
  }
  void AppendNumber(std::size_t number) {
    char digits[24];
    std::size_t count = 0;
    do {
      digits[count++] = static_cast<char>('0' + number % 10);
      number /= 10;
    } while (number != 0);
    while (count != 0) Append(digits[--count]);
  }
  const char* c_str() const { return text_; }

 private:
  char text_[256] = {};
  std::size_t length_ = 0;
};

// What the library threw: its text, and no string member to build.
class LibraryFailure : public std::exception {
 public:
  explicit LibraryFailure(const BoundedText& text) : text_(text) {}
  explicit LibraryFailure(const char* text) { text_.Append(text); }
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  BoundedText text_;
};

// ASCII text from the library (its source names and conditions) as UTF-16.
std::wstring Wide(const char* text) {
  std::wstring wide;
  for (; *text != '\0'; ++text) wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
  return wide;
}

}  // namespace

// The names and signatures are libstdc++'s (bits/functexcept.h, bits/c++config.h): every one
// the program's objects call must be here, or the library's file of them comes back whole.
// Replacing them, their variadic one too, is the point of this file.
// NOLINTBEGIN(cert-dcl58-cpp,cert-dcl50-cpp)
namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_logic_error(const char* text) { throw LibraryFailure(text); }
void __throw_length_error(const char* text) { throw LibraryFailure(text); }
void __throw_out_of_range(const char* text) { throw LibraryFailure(text); }
void __throw_invalid_argument(const char* text) { throw LibraryFailure(text); }
// The library's formats take names (%s) and sizes (%zu); MinGW's printf would cost 35 KB.
void __throw_out_of_range_fmt(const char* format, ...) {
  BoundedText text;
  va_list arguments;
  va_start(arguments, format);
  for (const char* c = format; *c != '\0'; ++c) {
    if (c[0] == '%' && c[1] == 's') {
      text.Append(va_arg(arguments, const char*));
      c += 1;
    } else if (c[0] == '%' && c[1] == 'z' && c[2] == 'u') {
      text.AppendNumber(va_arg(arguments, std::size_t));
      c += 2;
    } else {
      text.Append(*c);
    }
  }
  va_end(arguments);
  throw LibraryFailure(text);
}

// Declared noexcept, so nothing can be thrown to the run's last-chance message: the message
// is shown here, and the run ends as it would after that one. Our build's checks give no file
// and no function (app/library_failures.h). Building the text throws only if memory ran out.
// NOLINTNEXTLINE(bugprone-exception-escape)
void __glibcxx_assert_fail(const char* file, int line, const char* function,
                           const char* condition) noexcept {
  std::wstring text = std::wstring(talvern::kUnexpectedFailure) + L"\r\n";
  if (file != nullptr) text += Wide(file) + L":";
  text += talvern::DecimalText(static_cast<unsigned>(line)) + L": ";
  if (function != nullptr) text += Wide(function) + L": ";
  text += L"Assertion '" + Wide(condition) + L"' failed.";
  MessageBoxW(nullptr, text.c_str(), TALVERN_TITLE, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  std::_Exit(1);
}

}  // namespace std
// NOLINTEND(cert-dcl58-cpp,cert-dcl50-cpp)
