// The word processor's automation object: installed or not, with its folder.
#ifndef TALVERN_TESTS_FAKES_FAKE_WORD_H_
#define TALVERN_TESTS_FAKES_FAKE_WORD_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {

class FakeWord : public WordAutomation {
 public:
  bool QueryPath(const std::wstring& prog_id, std::wstring* out) override {
    created.push_back(prog_id);
    if (!installed) return false;
    *out = folder;
    return true;
  }
  bool installed = false;
  std::wstring folder;
  std::vector<std::wstring> created;  ///< prog ids asked for.
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_WORD_H_
