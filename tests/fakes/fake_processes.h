// Program starts recorded instead of made.
#ifndef TALVERN_TESTS_FAKES_FAKE_PROCESSES_H_
#define TALVERN_TESTS_FAKES_FAKE_PROCESSES_H_

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {

struct StartedProcess {
  std::wstring application;
  std::wstring command_line;
};

class FakeProcesses : public ProcessStarter {
 public:
  bool Start(const std::wstring& application, const std::wstring& command_line,
             std::wstring* error) override {
    auto failure = failures.find(application);
    if (failure != failures.end()) {
      *error = failure->second;
      return false;
    }
    started.push_back({application, command_line});
    return true;
  }
  std::vector<StartedProcess> started;
  std::map<std::wstring, std::wstring> failures;  ///< application -> reason.
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_PROCESSES_H_
