// The shell verb that makes Talvern open Word documents.
#ifndef TALVERN_SHELL_VERB_H_
#define TALVERN_SHELL_VERB_H_

#include <string>

#include "platform/platform.h"

namespace talvern {

/// The command the verb runs: the running executable's path in quotes, then " %1".
std::wstring VerbCommandLine(const AppFacts& app);

/// Installs the verb as the default of Word documents and Talvern as a program the user
/// can choose for ".doc" files, all or nothing, and tells the user the outcome.
void SetAssociation(Platform& p);

/// Tells the user that the association is set, and whether a double-click on a ".doc" file
/// now runs this executable, another program (and how to choose Talvern) or nothing yet.
void ReportDoubleClick(Platform& p);

/// Makes "Open" the default verb again, removes the verb and the choosable program, and
/// tells the user the outcome.
void RemoveAssociation(Platform& p);

/// Makes "Open" the default verb again and removes the verb and the choosable program, as
/// far as allowed, without a message. False with `error` (key, reason) for the first that
/// stayed.
bool UnregisterVerbAndCandidate(Platform& p, std::wstring* error);

}  // namespace talvern

#endif  // TALVERN_SHELL_VERB_H_
