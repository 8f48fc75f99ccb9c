// Module `reg`: the registry values that name Talvern, and the undo of a change to them.
#ifndef TALVERN_SHELL_REG_H_
#define TALVERN_SHELL_REG_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {
namespace reg {

/// The full name of `key` under `root`, as regedit shows it ("HKEY_CURRENT_USER\\...").
std::wstring KeyName(KeyRoot root, const std::wstring& key);
/// The same with the value's `name` after it in brackets, unless it is the default value.
std::wstring ValueName(KeyRoot root, const std::wstring& key, const std::wstring& name);

/// The text of the default value of `key` under `root`; false when there is none.
bool DefaultText(Registry& registry, KeyRoot root, const std::wstring& key, std::wstring* text);

/// What a set is about to change, remembered so that a set that fails half-way can put
/// back exactly what was there.
class Journal {
 public:
  explicit Journal(Registry& registry) : registry_(registry) {}
  /// Call before writing the value `name` (empty: the default value) of `key` under
  /// `root`: remembers the value as stored (any type) or its absence, and the keys down to
  /// `key` that do not exist yet.
  void Remember(KeyRoot root, const std::wstring& key, const std::wstring& name);
  /// Remembers, then sets the REG_SZ `value`. False with `error` (the key and the name,
  /// then the reason) when the write fails.
  bool Set(KeyRoot root, const std::wstring& key, const std::wstring& name,
           const std::wstring& value, std::wstring* error);
  /// Puts every remembered value back, the latest first, then deletes the keys that did
  /// not exist, the deepest first, and forgets them all. Appends to `error` a line for each
  /// thing that stays changed.
  void Undo(std::wstring* error);

 private:
  struct Value {
    KeyRoot root;
    std::wstring key;
    std::wstring name;
    bool existed;
    RawValue old;
  };
  struct Key {
    KeyRoot root;
    std::wstring key;
  };
  Registry& registry_;
  std::vector<Value> values_;
  std::vector<Key> created_;  ///< in the order they would be made, parents first.
};

/// What a registration writes for the executable `exe` (the running one's real path): a
/// command `"exe" %1`, the verb's and the candidate's, and an icon `"exe",0`.
std::wstring CommandValue(const std::wstring& exe);
std::wstring IconValue(const std::wstring& exe);

/// The executable that `text` names in one of those shapes with a full path ending in
/// ".exe". Empty for any other text.
std::wstring NamedExecutable(const std::wstring& text);

/// Explorer's verb selection model, written on a verb's key: "Player" offers a command
/// verb for up to 100 selected files, where without it the limit is 15.
extern const wchar_t kSelectionModel[];
extern const wchar_t kPlayer[];

}  // namespace reg
}  // namespace talvern

#endif  // TALVERN_SHELL_REG_H_
