// The Win32 services of window/: the settings window as a Win32 window, the open-file
// dialog and Word's automation object; app/main-win32.cc wires them together.
#ifndef TALVERN_WINDOW_FORM1_WIN32_H_
#define TALVERN_WINDOW_FORM1_WIN32_H_

#include <memory>

#include "launcher/module1.h"
#include "platform/platform.h"

namespace talvern {

/// The settings window of the run whose state is `m`, over the services of `p`; both must
/// outlive it.
std::unique_ptr<SettingsWindow> NewWin32SettingsWindow(Module1& m, Platform& p);
std::unique_ptr<FileDialog> NewWin32FileDialog();          // file_dialog-win32.cc
std::unique_ptr<WordAutomation> NewWin32WordAutomation();  // word_automation-win32.cc

}  // namespace talvern

#endif  // TALVERN_WINDOW_FORM1_WIN32_H_
