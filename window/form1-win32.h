// The settings window as a Win32 window.
#ifndef TALVERN_WINDOW_FORM1_WIN32_H_
#define TALVERN_WINDOW_FORM1_WIN32_H_

#include <memory>

#include "launcher/module1.h"
#include "platform/platform.h"

namespace talvern {

/// The settings window of the run whose state is `m`, over the services of `p`; both must
/// outlive it.
std::unique_ptr<SettingsWindow> NewWin32SettingsWindow(Module1& m, Platform& p);

}  // namespace talvern

#endif  // TALVERN_WINDOW_FORM1_WIN32_H_
