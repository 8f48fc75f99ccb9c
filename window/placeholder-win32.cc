// Temporary: a plain window until the settings window lands.
#include <windows.h>

#include "platform/platform-win32.h"

namespace talvern {
namespace {

class PlainWindow : public SettingsWindow {
 public:
  void ShowModal(Module1&, Platform& p) override {
    MessageBoxW(nullptr, L"", p.App.ProductName.c_str(), MB_OK);
  }
};
class NoDialog : public FileDialog {
 public:
  std::wstring ShowOpen(void*, const std::wstring&, const std::wstring&, std::uint32_t) override {
    return std::wstring();
  }
};
class NoWord : public WordAutomation {
 public:
  bool QueryPath(const std::wstring&, std::wstring*) override { return false; }
};

}  // namespace

std::unique_ptr<SettingsWindow> NewWin32SettingsWindow() { return std::make_unique<PlainWindow>(); }
std::unique_ptr<FileDialog> NewWin32FileDialog() { return std::make_unique<NoDialog>(); }
std::unique_ptr<WordAutomation> NewWin32WordAutomation() { return std::make_unique<NoWord>(); }

}  // namespace talvern
