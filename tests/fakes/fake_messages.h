// Message boxes that record what they showed and answer from a queue.
#ifndef TALVERN_TESTS_FAKES_FAKE_MESSAGES_H_
#define TALVERN_TESTS_FAKES_FAKE_MESSAGES_H_

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {

struct ShownMessage {
  std::wstring prompt;
  MsgIcon icon;
  std::wstring title;
  bool question = false;  ///< asked with Yes and No.
};

class FakeMessages : public MessageBoxes {
 public:
  void MsgBox(const std::wstring& prompt, MsgIcon icon, const std::wstring& title) override;
  /// Answers from `answers` in turn, then No.
  bool Ask(const std::wstring& prompt, MsgIcon icon, const std::wstring& title,
           DefaultAnswer default_answer) override;
  std::vector<ShownMessage> shown;
  std::deque<bool> answers;
  std::function<void()> on_show;  ///< runs while a box is "open".
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_MESSAGES_H_
