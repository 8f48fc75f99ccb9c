// The shortcut in the user's SendTo folder.
#ifndef TALVERN_SHELL_SENDTO_H_
#define TALVERN_SHELL_SENDTO_H_

#include "platform/platform.h"

namespace talvern {

/// The shortcut's file name in the SendTo folder.
extern const wchar_t kSendToLinkName[];

/// Writes "TVern.lnk" into the SendTo folder, aimed at the running executable (an existing
/// one keeps its other settings), and tells the user the outcome.
void CreateSendToShortcut(Platform& p);

}  // namespace talvern

#endif  // TALVERN_SHELL_SENDTO_H_
