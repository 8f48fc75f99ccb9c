// talvern.exe with its settings window open when a check inside the C++ library fails: a
// window, then the failure its argument names ("memory": an allocation the system cannot
// serve; anything else: an index past the end).
#include <windows.h>

#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR argument, int) {
  if (!CreateWindowW(L"STATIC", L"failing check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320,
                     200, nullptr, nullptr, nullptr, nullptr)) {
    return 2;
  }
  std::vector<char> none;
  if (std::wstring(argument) == L"memory") none.reserve(none.max_size());
  volatile std::size_t past_the_end = 1;
  return none[past_the_end];
}
