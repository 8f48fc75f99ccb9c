// The settings window, shown only as a count.
#ifndef TALVERN_TESTS_FAKES_FAKE_WINDOW_H_
#define TALVERN_TESTS_FAKES_FAKE_WINDOW_H_

#include <functional>

#include "platform/platform.h"

namespace talvern {

/// Counts each showing; runs `on_show` while the window is "open".
class FakeWindow : public SettingsWindow {
 public:
  void ShowModal() override {
    ++shown;
    if (on_show) on_show();
  }
  int shown = 0;
  std::function<void()> on_show;
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_WINDOW_H_
