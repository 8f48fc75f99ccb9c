// A word processor that takes 20 s to start, registered as Word's local server for the
// benchmark of the settings window's first opening: whoever starts it through its class
// waits that long, and then in vain, as it never serves the class. kernel32 only.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  Sleep(20000);
  return 0;
}
