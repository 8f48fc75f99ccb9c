// What one registration action came to, as the exit code of a switch tells a script.
#ifndef TALVERN_SHELL_OUTCOME_H_
#define TALVERN_SHELL_OUTCOME_H_

namespace talvern {

/// The values are the exit codes; of several actions the highest is the run's (1 is the
/// unexpected failure's, 6 a command line that is refused).
enum class Outcome : int {
  kDone = 0,
  kNothingToDo = 2,  ///< there was nothing to remove.
  /// Registered, but a double-click on a ".doc" runs another program or asks: on Windows 8
  /// and later that is the user's own choice, which no program may make.
  kUserChooses = 3,
  kRefused = 4,  ///< something that is not Talvern's was left alone (another program's link).
  kFailed = 5,   ///< a registry or file operation failed; the message says which and why.
};

}  // namespace talvern

#endif  // TALVERN_SHELL_OUTCOME_H_
