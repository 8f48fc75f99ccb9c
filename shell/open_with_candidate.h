// Talvern as a program the user can choose for Word documents: a document class of its
// own, its place among the programs that open ".doc" files and its registered capabilities,
// all for the current user, so no administrator is needed.
#ifndef TALVERN_SHELL_OPEN_WITH_CANDIDATE_H_
#define TALVERN_SHELL_OPEN_WITH_CANDIDATE_H_

#include <string>

#include "platform/platform.h"
#include "shell/reg.h"

namespace talvern {

/// The name Talvern is registered under in HKEY_CURRENT_USER\Software\RegisteredApplications,
/// and Windows' default-apps settings page of the program registered so.
extern const wchar_t kRegisteredAppName[];
extern const wchar_t kDefaultAppsUri[];
/// The keys (under HKEY_CURRENT_USER\Software) of Talvern's document class, its icon and
/// its open command.
extern const wchar_t kCandidateClassKey[];
extern const wchar_t kCandidateIconKey[];
extern const wchar_t kCandidateCommandKey[];

/// The keys that make Talvern a candidate in "Open with" for ".doc", for one set or remove.
/// It remembers what was there before it writes, so that a set that fails half-way can put
/// it back.
class OpenWithCandidate {
 public:
  explicit OpenWithCandidate(Registry& registry);

  /// Writes every key and value for `exe` (the document class opens it). When one write
  /// fails, undoes the others and returns false with `error`: the key and the reason, then
  /// a line for each thing that could not be undone.
  bool Write(const std::wstring& exe, std::wstring* error);
  /// Puts back what was there when this object was made; appends to `error` a line for
  /// each thing that stays changed.
  void Undo(std::wstring* error);
  /// Removes the keys and values that Write writes, and nothing else of the keys other
  /// programs share, except those keys themselves once that left them empty. Missing ones
  /// are no error; `*changed` becomes true when anything went. False with `error` (key,
  /// reason) for the first one that stayed.
  bool Remove(bool* changed, std::wstring* error);

 private:
  Registry& registry_;
  reg::Journal journal_;
};

}  // namespace talvern

#endif  // TALVERN_SHELL_OPEN_WITH_CANDIDATE_H_
