// Temporary: no registry or shell access until the shell integration lands.
#include "platform/platform-win32.h"

namespace talvern {
namespace {

class NoRegistry : public Registry {
 public:
  RegResult SetDefaultValue(ClassesRoot, const std::wstring&, const std::wstring&,
                            std::wstring*) override {
    return RegResult::kFailed;
  }
  RegResult DeleteKey(ClassesRoot, const std::wstring&, std::wstring*) override {
    return RegResult::kFailed;
  }
  bool KeyExists(ClassesRoot, const std::wstring&) override { return false; }
};
class NoShell : public Shell {
 public:
  bool SendToFolder(void*, std::wstring*, std::wstring*) override { return false; }
  bool WriteShortcut(const std::wstring&, const std::wstring&, std::wstring*) override {
    return false;
  }
};

}  // namespace

std::unique_ptr<Registry> NewWin32Registry() { return std::make_unique<NoRegistry>(); }
std::unique_ptr<Shell> NewWin32Shell() { return std::make_unique<NoShell>(); }

}  // namespace talvern
