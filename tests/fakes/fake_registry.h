// The registry's classes and per-user software keys in memory.
#ifndef TALVERN_TESTS_FAKES_FAKE_REGISTRY_H_
#define TALVERN_TESTS_FAKES_FAKE_REGISTRY_H_

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace talvern {

/// The machine-wide and the per-user classes. HKEY_CLASSES_ROOT is their merge, as Windows
/// builds it: a key is there when either holds it, with the per-user value when both do,
/// and writing or deleting through it reaches the per-user key when that exists, else the
/// machine-wide one. Deleting a key with subkeys is refused as on Windows NT.
class FakeRegistry : public Registry {
 public:
  /// Strings only: every value reads back as REG_SZ.
  bool Get(KeyRoot root, const std::wstring& key, const std::wstring& name,
           RawValue* value) override;
  RegResult Set(KeyRoot root, const std::wstring& key, const std::wstring& name,
                const RawValue& value, std::wstring* error) override;
  RegResult DeleteValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                        std::wstring* error) override;
  RegResult DeleteKey(KeyRoot root, const std::wstring& key, std::wstring* error) override;
  bool KeyExists(KeyRoot root, const std::wstring& key) override;
  bool KeyIsEmpty(KeyRoot root, const std::wstring& key) override;

  /// The default value of `key` as HKEY_CLASSES_ROOT shows it; empty if none.
  std::wstring MergedValue(const std::wstring& key) const;
  /// True when `key` is under `root` (kClasses: under either).
  bool Has(KeyRoot root, const std::wstring& key) const;

  /// Keys and their default values by root (never kClasses), with lower-cased names.
  std::map<std::pair<KeyRoot, std::wstring>, std::wstring> keys;
  /// Named values by root, lower-cased key and lower-cased name (default values: `keys`).
  std::map<std::tuple<KeyRoot, std::wstring, std::wstring>, std::wstring> values;
  std::set<KeyRoot> read_only;     ///< kMachineClasses/kUserClasses: writes, deletes refused.
  std::set<std::wstring> refused;  ///< lower-cased keys of any root whose writes fail.
  std::vector<std::wstring> log;   ///< "set ROOT KEY=VALUE" / "delete ROOT KEY[:NAME]" in order.

 private:
  /// Where an operation on `key` under `root` lands: kClasses resolved as Windows does.
  KeyRoot Target(KeyRoot root, const std::wstring& key) const;
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_REGISTRY_H_
