// Forced into every googletest compilation of the Windows build. MinGW's win32 thread
// model has no std::mutex or std::condition_variable, which googletest's Notification is
// built from; this one, from a Win32 event, takes its place (GTEST_HAS_NOTIFICATION_).
#ifndef TALVERN_TESTS_GTEST_MINGW_H_
#define TALVERN_TESTS_GTEST_MINGW_H_

#ifdef __cplusplus
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing
#endif  // __cplusplus

#endif  // TALVERN_TESTS_GTEST_MINGW_H_
