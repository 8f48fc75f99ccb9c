// A fresh installation per test: talvern.exe copied into its own folder, stand-ins for
// Word and the text editor, a folder for documents, and ways to run and observe it.
#ifndef TALVERN_TESTS_DISPATCH_DISPATCH_FIXTURE_H_
#define TALVERN_TESTS_DISPATCH_DISPATCH_FIXTURE_H_

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/harness.h"
#include "tests/harness/window_driver.h"

namespace talvern {
namespace e2e {

/// First bytes of a compound file (the Word document container).
extern const char kCompound[];  // D0 CF 11 E0 A1 B1 1A E1 and a little more

/// One start as the started program saw it: which program ran, and the arguments it made of
/// its command line (its own name left out).
struct Launch {
  std::wstring exe;
  std::vector<std::wstring> arguments;
};
bool operator==(const Launch& a, const Launch& b);
void PrintTo(const Launch& launch, std::ostream* os);

/// What one run of talvern.exe did.
struct Outcome {
  bool ended = false;                 ///< it and what it started ended in time.
  std::vector<Popup> popups;          ///< message boxes and windows, in order.
  std::vector<StandInRecord> starts;  ///< stand-in starts, in the order they were made.
};

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override;

  /// Writes Data.ini beside talvern.exe naming the two stand-ins, with the line
  /// "WORDFORMATS=<word_formats>" in section OPTION when that is given.
  void WriteSettings(const char* word_formats = nullptr);
  /// Writes `bytes` as document `name` in the documents folder; its full path.
  std::wstring Document(const std::wstring& name, const std::string& bytes);
  /// Runs talvern.exe with `argument_text` until it and what it started ended, dismissing
  /// every message box and closing every window on the way.
  Outcome Dispatch(const std::wstring& argument_text);
  /// `Dispatch` for `exe` instead of the test's own copy, recording `stand_ins`.
  Outcome DispatchWith(const std::wstring& exe, const std::wstring& argument_text,
                       const std::vector<std::wstring>& stand_ins);
  /// `Dispatch` with exactly `command_line`, program name included, for the test's copy.
  Outcome DispatchLine(const std::wstring& command_line);

  /// What Talvern must start: `exe`, receiving `document` as its one argument.
  static Launch Started(const std::wstring& exe, const std::wstring& document);
  /// The command line Talvern builds for that start, as its messages show it.
  static std::wstring CommandLine(const std::wstring& exe, const std::wstring& document);

  std::wstring folder_;  ///< this test's folder, ends in "\".
  std::wstring app_;     ///< folder of talvern.exe (and Data.ini), ends in "\".
  std::wstring exe_;     ///< talvern.exe.
  /// Word stand-in ("...\Program Files\Microsoft Office\root\Office16\WINWORD.EXE").
  std::wstring word_;
  std::wstring text_;  ///< text editor stand-in ("...\Program Files\Ed\editor.exe").
  std::wstring docs_;  ///< documents folder, ends in "\".
};

/// Writes the shell link `link` to `target` through IShellLinkW; true on success.
bool WriteShortcut(const std::wstring& link, const std::wstring& target);

/// Text of the popups for failure messages.
std::string Describe(const std::vector<Popup>& popups);
/// The starts of `outcome` as the started programs saw them.
std::vector<Launch> Launches(const Outcome& outcome);

}  // namespace e2e
}  // namespace talvern

#endif  // TALVERN_TESTS_DISPATCH_DISPATCH_FIXTURE_H_
