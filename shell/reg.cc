#include "shell/reg.h"

#include <algorithm>

namespace talvern {
namespace reg {

std::wstring KeyName(KeyRoot root, const std::wstring& key) {
  switch (root) {
    case KeyRoot::kClasses:
      return L"HKEY_CLASSES_ROOT\\" + key;
    case KeyRoot::kMachineClasses:
      return L"HKEY_LOCAL_MACHINE\\Software\\Classes\\" + key;
    case KeyRoot::kUserClasses:
      return L"HKEY_CURRENT_USER\\Software\\Classes\\" + key;
    case KeyRoot::kUserSoftware:
      return L"HKEY_CURRENT_USER\\Software\\" + key;
  }
  return key;
}

namespace {

std::wstring Describe(KeyRoot root, const std::wstring& key, const std::wstring& reason) {
  return KeyName(root, key) + L"\r\n" + reason;
}

}  // namespace

void Journal::Remember(KeyRoot root, const std::wstring& key, const std::wstring& name) {
  Value value{root, key, name, false, RawValue()};
  value.existed = registry_.GetRawValue(root, key, name, &value.old);
  values_.push_back(value);
  for (std::size_t end = key.find(L'\\');; end = key.find(L'\\', end + 1)) {
    const std::wstring part = key.substr(0, end);
    const bool known = std::any_of(created_.begin(), created_.end(), [&](const Key& created) {
      return created.root == root && created.key == part;
    });
    if (!known && !registry_.KeyExists(root, part)) created_.push_back({root, part});
    if (end == std::wstring::npos) break;
  }
}

void Journal::Undo(std::wstring* error) {
  std::wstring reason;
  for (auto value = values_.rbegin(); value != values_.rend(); ++value) {
    // A value still as it was needs no write (the refused write that started the undo).
    RawValue now;
    const bool exists = registry_.GetRawValue(value->root, value->key, value->name, &now);
    if (exists == value->existed && (!exists || now == value->old)) continue;
    const RegResult result =
        value->existed
            ? registry_.SetRawValue(value->root, value->key, value->name, value->old, &reason)
            : registry_.DeleteValue(value->root, value->key, value->name, &reason);
    if (result == RegResult::kOk || result == RegResult::kNotFound) continue;
    const std::wstring name = KeyName(value->root, value->key);
    *error += L"\r\n元に戻せなかった設定: " +
              (value->name.empty() ? name : name + L" (" + value->name + L")");
  }
  for (auto key = created_.rbegin(); key != created_.rend(); ++key) {
    const RegResult result = registry_.DeleteKey(key->root, key->key, &reason);
    if (result != RegResult::kOk && result != RegResult::kNotFound) {
      *error += L"\r\n元に戻せなかった設定: " + KeyName(key->root, key->key);
    }
  }
  values_.clear();
  created_.clear();
}

bool SetClassesRootDefault(Registry& registry, const std::wstring& key, const std::wstring& value,
                           std::wstring* error, Journal* journal) {
  // Machine-wide by name: a write through HKEY_CLASSES_ROOT would land in the per-user copy
  // whenever one exists and leave the machine-wide value, which other users see, behind.
  std::wstring machine_error;
  if (journal) journal->Remember(KeyRoot::kMachineClasses, key, L"");
  if (registry.SetDefaultValue(KeyRoot::kMachineClasses, key, value, &machine_error) ==
      RegResult::kOk) {
    // A per-user copy of the key would hide the value just written; keep it in step.
    if (!registry.KeyExists(KeyRoot::kUserClasses, key)) return true;
    std::wstring user_error;
    if (journal) journal->Remember(KeyRoot::kUserClasses, key, L"");
    if (registry.SetDefaultValue(KeyRoot::kUserClasses, key, value, &user_error) ==
        RegResult::kOk) {
      return true;
    }
    *error = Describe(KeyRoot::kUserClasses, key, user_error);
    return false;
  }
  // Standard users may not write the machine-wide classes; HKEY_CLASSES_ROOT merges in
  // the per-user ones, so the value takes effect for this user all the same.
  std::wstring user_error;
  if (journal) journal->Remember(KeyRoot::kUserClasses, key, L"");
  if (registry.SetDefaultValue(KeyRoot::kUserClasses, key, value, &user_error) == RegResult::kOk) {
    return true;
  }
  *error = Describe(KeyRoot::kMachineClasses, key, machine_error);
  if (user_error != machine_error) {
    *error += L"\r\n" + Describe(KeyRoot::kUserClasses, key, user_error);
  }
  return false;
}

bool DeleteClassesRootKey(Registry& registry, const std::wstring& key, std::wstring* error) {
  // Every place is tried, so what may be removed is removed; the first refusal is reported.
  bool ok = true;
  for (KeyRoot root : {KeyRoot::kUserClasses, KeyRoot::kMachineClasses}) {
    std::wstring reason;
    const RegResult result = registry.DeleteKey(root, key, &reason);
    if (result == RegResult::kOk || result == RegResult::kNotFound || !ok) continue;
    *error = Describe(root, key, reason);
    ok = false;
  }
  return ok;
}

}  // namespace reg
}  // namespace talvern
