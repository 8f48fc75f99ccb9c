// How a failure inside the C++ library ends the run: a position out of range, a length beyond
// max_size(), a failed precondition check, memory that ran out. The library's own versions
// throw exceptions that carry strings, and with them bring its prebuilt string classes and
// the unwinder into the exe; this build has no exceptions (cmake/windows.cmake). Each failure
// shows one message and ends the run there, with exit code 1, allocating nothing. GNU only.
#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>  // declares the library's throw helpers (bits/functexcept.h)

namespace {

// The first line of the message.
const wchar_t kUnexpectedFailure[] = L"予期しないエラーが発生しました。";

// The message in a buffer of fixed size, cut to fit: memory may be what ran out.
class FixedText {
 public:
  FixedText() {
    Append(kUnexpectedFailure);
    Append(L"\r\n");
  }
  void Append(const wchar_t* text) {
    for (; *text != L'\0'; ++text) Append(*text);
  }
  // The library's texts are ASCII: its names, conditions and numbers.
  void Append(const char* text) {
    for (; *text != '\0'; ++text) Append(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
  }
  void Append(wchar_t c) {
    if (length_ + 1 < kCapacity) text_[length_++] = c;
  }
  void AppendNumber(std::size_t number) {
    char digits[24] = {};
    std::size_t count = sizeof(digits) - 1;
    do {
      digits[--count] = static_cast<char>('0' + number % 10);
      number /= 10;
    } while (number != 0);
    Append(digits + count);
  }

  /// Shows the message task-modal, so that no window of the run (the settings window) can
  /// save or register anything on a state that has just failed, and ends the run.
  [[noreturn]] void Stop() const {
    // Showing it may fail the same way (loading user32 takes memory too): then the run ends
    // without it rather than over and over.
    static bool stopping = false;
    if (!stopping) {
      stopping = true;
      MessageBoxW(nullptr, text_, TALVERN_TITLE,
                  MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    }
    ExitProcess(1);
  }

 private:
  static constexpr std::size_t kCapacity = 512;
  wchar_t text_[kCapacity] = {};
  std::size_t length_ = 0;
};

[[noreturn]] void Stop(const char* text) {
  FixedText message;
  message.Append(text);
  message.Stop();
}

}  // namespace

// Talvern sets no new-handler: memory that ran out is the end of the run.
void* operator new(std::size_t size) {
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) Stop("std::bad_alloc");
  return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

// The names and signatures are libstdc++'s (bits/functexcept.h, bits/c++config.h): every one
// the program's objects call must be here, or the library's file of them comes back whole,
// and the unwinder with it. Replacing them, their variadic one too, is the point of this file.
// NOLINTBEGIN(cert-dcl58-cpp,cert-dcl50-cpp)
namespace std {

void __throw_bad_alloc() { Stop("std::bad_alloc"); }
void __throw_bad_array_new_length() { Stop("std::bad_array_new_length"); }
void __throw_bad_function_call() { Stop("bad_function_call"); }
void __throw_logic_error(const char* text) { Stop(text); }
void __throw_length_error(const char* text) { Stop(text); }
void __throw_out_of_range(const char* text) { Stop(text); }
void __throw_invalid_argument(const char* text) { Stop(text); }
// The library's formats take names (%s) and sizes (%zu); MinGW's printf would cost 35 KB.
void __throw_out_of_range_fmt(const char* format, ...) {
  FixedText text;
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
      text.Append(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
    }
  }
  va_end(arguments);
  text.Stop();
}

// Our build's checks give no file and no function (app/library_failures.h).
void __glibcxx_assert_fail(const char* file, int line, const char* function,
                           const char* condition) noexcept {
  FixedText text;
  if (file != nullptr) {
    text.Append(file);
    text.Append(L":");
  }
  text.AppendNumber(static_cast<unsigned>(line));
  text.Append(L": ");
  if (function != nullptr) {
    text.Append(function);
    text.Append(L": ");
  }
  text.Append(L"Assertion '");
  text.Append(condition);
  text.Append(L"' failed.");
  text.Stop();
}

}  // namespace std
// NOLINTEND(cert-dcl58-cpp,cert-dcl50-cpp)
