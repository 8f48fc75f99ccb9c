// The shortcut in the user's SendTo folder.
#ifndef TALVERN_SHELL_SENDTO_H_
#define TALVERN_SHELL_SENDTO_H_

#include "platform/platform.h"
#include "shell/outcome.h"

namespace talvern {

/// The full name of "TVern.lnk" in the SendTo folder; empty with `error` without the folder.
std::wstring SendToLinkFile(Platform& p, std::wstring* error);

/// Writes "TVern.lnk" into the SendTo folder, aimed at the running executable (an existing
/// one keeps its other settings), and tells the user the outcome: kDone or kFailed.
Outcome CreateSendToShortcut(Platform& p);

}  // namespace talvern

#endif  // TALVERN_SHELL_SENDTO_H_
