// Talvern as a program the user can choose for Word documents: a document class of its
// own, its place among the programs that open ".doc" files and its registered capabilities,
// all for the current user, so no administrator is needed.
#ifndef TALVERN_SHELL_OPEN_WITH_CANDIDATE_H_
#define TALVERN_SHELL_OPEN_WITH_CANDIDATE_H_

#include "shell/reg.h"

namespace talvern {

/// The name Talvern is registered under in HKEY_CURRENT_USER\Software\RegisteredApplications,
/// and Windows' default-apps settings page of the program registered so.
extern const wchar_t kRegisteredAppName[];
extern const wchar_t kDefaultAppsUri[];
/// Talvern as a candidate in "Open with" for ".doc": its class and capabilities.
extern const reg::Table kCandidate;
/// Talvern among the registered applications, for Windows' default-apps page.
extern const reg::Table kRegisteredApp;

}  // namespace talvern

#endif  // TALVERN_SHELL_OPEN_WITH_CANDIDATE_H_
