// The Win32 services of window/ besides the settings window itself (window/form1-win32.h);
// app/main-win32.cc wires them together.
#ifndef TALVERN_WINDOW_SERVICES_WIN32_H_
#define TALVERN_WINDOW_SERVICES_WIN32_H_

#include <memory>

#include "platform/platform.h"

namespace talvern {

std::unique_ptr<FileDialog> NewWin32FileDialog();          // file_dialog-win32.cc
std::unique_ptr<WordAutomation> NewWin32WordAutomation();  // word_automation-win32.cc

}  // namespace talvern

#endif  // TALVERN_WINDOW_SERVICES_WIN32_H_
