// The shell verb that makes Talvern open Word documents.
#ifndef TALVERN_SHELL_VERB_H_
#define TALVERN_SHELL_VERB_H_

#include <string>

#include "platform/platform.h"
#include "shell/outcome.h"
#include "shell/reg.h"

namespace talvern {

/// The key (relative to the classes' root) whose default value is the verb's command.
extern const wchar_t kCommandKey[];

/// The verb, as the current user's default action on Word documents.
extern const reg::Table kVerb;

/// The executable named by the verb that an earlier version wrote for the whole machine
/// (its command in the shape Talvern writes); empty when there is none.
std::wstring MachineWideVerb(Registry& registry);
/// True when that verb's own key (TVern) is in the machine's classes, with or without its
/// command.
bool MachineWideVerbExists(Registry& registry);
/// One line that says how that verb can go: as administrator, with "関連付けを解除".
extern const wchar_t kMachineWideAdvice[];

/// Installs the verb as the default of Word documents and Talvern as a program the user
/// can choose for ".doc" files, for the current user only, all or nothing, and tells the
/// user the outcome.
Outcome SetAssociation(Platform& p);

/// Tells the user that the association is set, and whether a double-click on a ".doc" file
/// now runs this executable (kDone), another program or nothing yet (kUserChooses). For the
/// last two it says how to choose Talvern and, where Windows has a Settings app, offers to
/// open its default-apps page for Talvern.
Outcome ReportDoubleClick(Platform& p);

/// True when `executable` is Windows' own "Open with" chooser (OpenWith.exe in any folder,
/// any case), which is no program that opens a document.
bool IsWindowsChooser(const std::wstring& executable);

/// What removing the verb and the choosable program changed.
struct Unregistered {
  bool any = false;           ///< anything at all.
  bool default_verb = false;  ///< a default verb "TVern" went (per user) or became "Open".
  /// The user's default verb that is not Talvern's and stays, once Talvern's verb went.
  std::wstring other_default;
};

/// One line saying that the default verb `verb` of Word documents stays as it is.
std::wstring DefaultVerbStays(const std::wstring& verb);

/// Removes the verb and the choosable program, and tells the user what changed.
void RemoveAssociation(Platform& p);

/// Removes, as far as allowed and without a message, the current user's verb, the choosable
/// program (reg::Remove: the default verb given back as the set found it, while it is still
/// Talvern's) and the machine-wide verb of an earlier version (its default verb "Open" where
/// it was Talvern's). Notes in `done` what changed; false with `error` (key, reason) for the
/// first that stayed.
bool UnregisterVerbAndCandidate(Platform& p, Unregistered* done, std::wstring* error);

}  // namespace talvern

#endif  // TALVERN_SHELL_VERB_H_
