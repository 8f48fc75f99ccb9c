// Module `reg`: the registry values that name Talvern, and the undo of a change to them.
#ifndef TALVERN_SHELL_REG_H_
#define TALVERN_SHELL_REG_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
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
  Registry& registry() { return registry_; }
  /// Call before writing the value `name` (empty: the default value) of `key` under
  /// `root`: remembers the value as stored (any type) or its absence, and the keys down to
  /// `key` that do not exist yet.
  void Remember(KeyRoot root, const std::wstring& key, const std::wstring& name);
  /// Remembers, then sets `value` (text: REG_SZ). False with `error` (the key and the name,
  /// then the reason) when the write fails.
  bool Set(KeyRoot root, const std::wstring& key, const std::wstring& name, const RawValue& value,
           std::wstring* error);
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

/// Whose a registration's row is, and so what a removal does with it.
enum class Owner : std::uint8_t {
  kTalvern,  ///< Talvern's own key: the removal deletes it with all that is in it.
  kValue,    ///< Talvern's value in a key other programs share: the removal deletes the value.
  /// A key other programs share, or a value they set too (the default verb): the removal
  /// gives such a value back, as the set recorded it, while it is still Talvern's.
  kShared,
};

/// What a row writes: its text, or the executable's command or icon.
enum class Data : std::uint8_t { kText, kCommand, kIcon };

/// One row of a registration: a value it writes, or (no name) a key it may create.
struct Row {
  const wchar_t* key;
  const wchar_t* name;  ///< empty: the default value; null: the key alone, written by none.
  const wchar_t* text;  ///< the value of kText.
  Data data;
  Owner owner;
  KeyRoot root;
};

/// A registration: its rows, written in this order and removed in the reverse one, so a
/// key of Talvern's comes after its parent; shared keys come deepest first.
class Table {
 public:
  template <std::size_t N>
  constexpr explicit Table(const Row (&rows)[N]) noexcept : first_(rows), last_(rows + N) {}
  const Row* begin() const { return first_; }
  const Row* end() const { return last_; }

 private:
  const Row* first_;
  const Row* last_;
};
using Tables = std::initializer_list<Table>;

/// True when a key of Talvern's own in `table` exists.
bool Present(Registry& registry, const Table& table);

/// The value `row` writes for the executable `exe`.
std::wstring ValueOf(const Row& row, const std::wstring& exe);

/// The key (under HKEY_CURRENT_USER\Software) where a set records what it replaced.
extern const wchar_t kRecordKey[];

/// Records under Talvern's own key, unless an earlier set's record is there (that one
/// stays), the kShared values that `tables` replace and which shared keys exist; then
/// writes every row for `exe`. False with `error` at the first refusal; `journal` undoes.
bool Install(Journal& journal, Tables tables, const std::wstring& exe, std::wstring* error);

/// What a removal changed.
struct Removal {
  bool any = false;         ///< anything at all.
  bool given_back = false;  ///< a kShared value went, or got back what the set replaced.
  std::wstring other;       ///< a kShared value that is not Talvern's (set since) and stays.
};

/// Removes what Install wrote: Talvern's values, its kShared values while still its own (given
/// back as recorded), its keys and the record, then the shared keys the set created (without a
/// record, as earlier versions wrote none: those the removal left empty). Missing ones are no
/// error. False with `error` (key, reason) for the first that stayed.
bool Remove(Registry& registry, Tables tables, Removal* done, std::wstring* error);

/// Explorer's verb selection model, written on a verb's key: "Player" offers a command
/// verb for up to 100 selected files, where without it the limit is 15.
extern const wchar_t kSelectionModel[];
extern const wchar_t kPlayer[];

}  // namespace reg
}  // namespace talvern

#endif  // TALVERN_SHELL_REG_H_
