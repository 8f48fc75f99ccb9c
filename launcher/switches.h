// The switches an administrator's script gives instead of documents.
#ifndef TALVERN_LAUNCHER_SWITCHES_H_
#define TALVERN_LAUNCHER_SWITCHES_H_

#include <string>

namespace talvern {

/// Each switch's bit in what ReadSwitches gives; they run in this order, each once.
enum SwitchBit : unsigned {
  kUsageSwitch = 1,       ///< "/?"
  kUnregisterSwitch = 2,  ///< "/unregister": 登録をすべて削除, without the question.
  kRegisterSwitch = 4,    ///< "/register": 関連付けを設定.
  kSendToSwitch = 8,      ///< "/sendto": 送るにショートカット.
  /// A piece that is no switch beside switches: the command line is refused.
  kMixedSwitches = 16,
};

/// The switches of `argument_text`, split at spaces: "/register", "/sendto", "/unregister"
/// and "/?" in any letter case; kMixedSwitches alone when any other piece stands beside
/// one. 0 when no piece is exactly a switch (a quoted one is not): the text names
/// documents, as before there were switches.
unsigned ReadSwitches(const std::wstring& argument_text);

}  // namespace talvern

#endif  // TALVERN_LAUNCHER_SWITCHES_H_
