#include "tests/fakes/fake_dialog.h"

namespace talvern {

std::wstring FakeDialog::ShowOpen(void* owner, const std::wstring& filter,
                                  const std::wstring& initial_folder, FileChoice choice,
                                  std::wstring* error) {
  calls.push_back({owner, filter, initial_folder, choice});
  if (!failure.empty()) {
    *error = failure;
    return std::wstring();
  }
  if (answers.empty()) return std::wstring();
  std::wstring answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace talvern
