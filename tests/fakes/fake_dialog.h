// The open-file dialog, answering from a queue.
#ifndef TALVERN_TESTS_FAKES_FAKE_DIALOG_H_
#define TALVERN_TESTS_FAKES_FAKE_DIALOG_H_

#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {

struct DialogCall {
  void* owner;
  std::wstring filter;
  std::wstring initial_folder;
  FileChoice choice;
};

class FakeDialog : public FileDialog {
 public:
  std::wstring ShowOpen(void* owner, const std::wstring& filter, const std::wstring& initial_folder,
                        FileChoice choice, std::wstring* error) override;
  std::deque<std::wstring> answers;  ///< next chosen paths; empty text = cancelled.
  std::wstring failure;              ///< when set, the dialog fails with it.
  std::vector<DialogCall> calls;
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_DIALOG_H_
