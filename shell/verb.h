// The shell verb that makes Talvern open Word documents.
#ifndef TALVERN_SHELL_VERB_H_
#define TALVERN_SHELL_VERB_H_

#include <string>

#include "platform/platform.h"

namespace talvern {

/// The key (relative to HKEY_CLASSES_ROOT) whose default value is the verb's command.
extern const wchar_t kCommandKey[];

/// The command the verb runs: the running executable's path in quotes, then " %1".
std::wstring VerbCommandLine(const AppFacts& app);

/// Installs the verb as the default of Word documents and Talvern as a program the user
/// can choose for ".doc" files, all or nothing, and tells the user the outcome.
void SetAssociation(Platform& p);

/// Tells the user that the association is set, and whether a double-click on a ".doc" file
/// now runs this executable, another program or nothing yet. For the last two it says how
/// to choose Talvern and, where Windows has a Settings app, offers to open its default-apps
/// page for Talvern.
void ReportDoubleClick(Platform& p);

/// True when `executable` is Windows' own "Open with" chooser (OpenWith.exe in any folder,
/// any case), which is no program that opens a document.
bool IsWindowsChooser(const std::wstring& executable);

/// Windows' default-apps settings page of the program registered as `name` (under
/// HKEY_CURRENT_USER\Software\RegisteredApplications), the name escaped as a URI component.
std::wstring DefaultAppsUri(const std::wstring& name);

/// Makes "Open" the default verb again, removes the verb and the choosable program, and
/// tells the user the outcome.
void RemoveAssociation(Platform& p);

/// Makes "Open" the default verb again and removes the verb and the choosable program, as
/// far as allowed, without a message. False with `error` (key, reason) for the first that
/// stayed.
bool UnregisterVerbAndCandidate(Platform& p, std::wstring* error);

}  // namespace talvern

#endif  // TALVERN_SHELL_VERB_H_
