// Environment variables and the Windows folder as a test sets them.
#ifndef TALVERN_TESTS_FAKES_FAKE_ENVIRONMENT_H_
#define TALVERN_TESTS_FAKES_FAKE_ENVIRONMENT_H_

#include <map>
#include <string>

#include "platform/platform.h"

namespace talvern {

class FakeEnvironment : public Environment {
 public:
  std::wstring Get(const std::wstring& name) override {
    auto found = variables.find(name);
    return found == variables.end() ? std::wstring() : found->second;
  }
  std::wstring WindowsFolder() override { return windows_folder; }
  std::map<std::wstring, std::wstring> variables;
  std::wstring windows_folder = L"C:\\WINDOWS";
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_ENVIRONMENT_H_
