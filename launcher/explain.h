// Where a document would go and why, in words for the user: the settings window's tester
// runs dispatch's own reading and rules on documents the user picks or drops.
#ifndef TALVERN_LAUNCHER_EXPLAIN_H_
#define TALVERN_LAUNCHER_EXPLAIN_H_

#include <cstddef>
#include <string>
#include <vector>

#include "launcher/formats.h"
#include "launcher/module1.h"

namespace talvern {

/// The settings a document is tried with: the programs (as typed) and the option as the
/// window shows them right now, saved or not.
struct TrialSettings {
  std::wstring word;
  std::wstring text;
  bool word_formats = false;
};

/// How many documents one message explains; the rest are only counted.
constexpr std::size_t kMaxExplained = 20;

/// What a document of `format` is, in the user's words ("Web ページ").
std::wstring FormatDescription(DocumentFormat format);

/// One paragraph about `document` (a shortcut's target, said so): its path, its first bytes
/// and what they are, the program it would go to under `settings` once saved and whether the
/// option would change that. Reads as dispatch does (the table of `m`), starts and writes
/// nothing.
std::wstring ExplainDocument(const Module1& m, Platform& p, const std::wstring& document,
                             const TrialSettings& settings);

/// A paragraph for each of the first kMaxExplained `documents`, then "ほか N 件".
std::wstring ExplainDocuments(const Module1& m, Platform& p,
                              const std::vector<std::wstring>& documents,
                              const TrialSettings& settings);

}  // namespace talvern

#endif  // TALVERN_LAUNCHER_EXPLAIN_H_
