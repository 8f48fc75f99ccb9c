// The Win32 services of shell/: the registry, the shell and Windows' associations;
// app/main-win32.cc wires them together.
#ifndef TALVERN_SHELL_SERVICES_WIN32_H_
#define TALVERN_SHELL_SERVICES_WIN32_H_

#include <memory>

#include "platform/platform.h"

namespace talvern {

std::unique_ptr<Registry> NewWin32Registry();          // registry-win32.cc
std::unique_ptr<Shell> NewWin32Shell();                // shell-win32.cc
std::unique_ptr<Associations> NewWin32Associations();  // associations-win32.cc

}  // namespace talvern

#endif  // TALVERN_SHELL_SERVICES_WIN32_H_
