#include "tests/fakes/fake_messages.h"

namespace talvern {

void FakeMessages::MsgBox(const std::wstring& prompt, MsgIcon icon, const std::wstring& title) {
  shown.push_back({prompt, icon, title});
  if (on_show) on_show();
}

bool FakeMessages::Ask(const std::wstring& prompt, MsgIcon icon, const std::wstring& title,
                       DefaultAnswer /*default_answer*/) {
  shown.push_back({prompt, icon, title, true});
  if (on_show) on_show();
  if (answers.empty()) return false;
  const bool yes = answers.front();
  answers.pop_front();
  return yes;
}

}  // namespace talvern
