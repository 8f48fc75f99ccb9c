// The shell's associations as a table of programs.
#ifndef TALVERN_TESTS_FAKES_FAKE_ASSOCIATIONS_H_
#define TALVERN_TESTS_FAKES_FAKE_ASSOCIATIONS_H_

#include <map>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace talvern {

/// Programs by extension and verb.
class FakeAssociations : public Associations {
 public:
  bool Query(const std::wstring& extension, const std::wstring& verb, std::wstring* executable,
             std::wstring* friendly_name) override {
    auto found = programs.find({extension, verb});
    if (found == programs.end()) return false;
    *executable = found->second.executable;
    *friendly_name = found->second.friendly_name;
    return true;
  }
  void NotifyChanged() override { ++notified; }

  struct Program {
    std::wstring executable;
    std::wstring friendly_name;
  };
  std::map<std::pair<std::wstring, std::wstring>, Program> programs;  ///< (extension, verb).
  int notified = 0;
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_ASSOCIATIONS_H_
