// Module `reg`: the registry keys of document classes, written where the user may write.
#ifndef TALVERN_SHELL_REG_H_
#define TALVERN_SHELL_REG_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {
namespace reg {

/// The full name of `key` under `root`, as regedit shows it ("HKEY_CURRENT_USER\\...").
std::wstring KeyName(KeyRoot root, const std::wstring& key);

/// What a set is about to change, remembered so that a set that fails half-way can put
/// back exactly what was there.
class Journal {
 public:
  explicit Journal(Registry& registry) : registry_(registry) {}
  /// Call before writing the value `name` (empty: the default value) of `key` under
  /// `root`: remembers the value as stored (any type) or its absence, and the keys down to
  /// `key` that do not exist yet.
  void Remember(KeyRoot root, const std::wstring& key, const std::wstring& name);
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

/// Creates `key` (relative to HKEY_CLASSES_ROOT) in the machine-wide classes and sets its
/// default value to `value`; the per-user classes take it when the machine-wide ones refuse,
/// and always when they already hold the key (theirs wins in HKEY_CLASSES_ROOT). False with
/// `error` (the key, then the reason) when none takes it. What it may change goes into
/// `journal` first, when one is given.
bool SetClassesRootDefault(Registry& registry, const std::wstring& key, const std::wstring& value,
                           std::wstring* error, Journal* journal = nullptr);

/// Deletes the single key `key` from the per-user and the machine-wide classes, as far as
/// they allow. A key that is absent is not an error. False with `error` (the key, then the
/// reason) for the first place that refused.
bool DeleteClassesRootKey(Registry& registry, const std::wstring& key, std::wstring* error);

}  // namespace reg
}  // namespace talvern

#endif  // TALVERN_SHELL_REG_H_
