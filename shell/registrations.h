// Talvern's registrations taken together: the verb's command, the Open-with candidate's
// command and icon, and the SendTo link. They follow the executable when it was moved, and
// come off in one go.
#ifndef TALVERN_SHELL_REGISTRATIONS_H_
#define TALVERN_SHELL_REGISTRATIONS_H_

#include <string>

#include "platform/platform.h"
#include "shell/outcome.h"

namespace talvern {

/// When any registration of the current user names a Talvern executable that no longer exists,
/// asks once whether to point them at the running one, naming a machine-wide verb of an earlier
/// version that it leaves. Yes rewrites exactly those, all or nothing, and reports the outcome.
void FollowMovedExecutable(Platform& p);

/// Asks (when `ask`), then removes the verb (as removing the association does), the
/// Open-with candidate and the SendTo link when it aims at Talvern, and tells the user what
/// went and what stayed: kFailed, else kRefused for a link kept, kNothingToDo or kDone.
Outcome RemoveAllRegistrations(Platform& p, bool ask = true);

}  // namespace talvern

#endif  // TALVERN_SHELL_REGISTRATIONS_H_
