#include "shell/reg.h"

#include <algorithm>

#include "platform/paths.h"

namespace talvern {
namespace reg {

std::wstring KeyName(KeyRoot root, const std::wstring& key) {
  switch (root) {
    case KeyRoot::kClasses:
    case KeyRoot::kClasses64:
    case KeyRoot::kClasses32:
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

bool DefaultText(Registry& registry, KeyRoot root, const std::wstring& key, std::wstring* text) {
  RawValue value;
  return registry.Get(root, key, L"", &value) && value.GetText(text);
}

std::wstring ValueName(KeyRoot root, const std::wstring& key, const std::wstring& name) {
  return name.empty() ? KeyName(root, key) : KeyName(root, key) + L" (" + name + L")";
}

void Journal::Remember(KeyRoot root, const std::wstring& key, const std::wstring& name) {
  Value value{root, key, name, false, RawValue()};
  value.existed = registry_.Get(root, key, name, &value.old);
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

bool Journal::Set(KeyRoot root, const std::wstring& key, const std::wstring& name,
                  const std::wstring& value, std::wstring* error) {
  Remember(root, key, name);
  std::wstring reason;
  if (registry_.Set(root, key, name, RawValue::Text(value), &reason) == RegResult::kOk) {
    return true;
  }
  *error = ValueName(root, key, name) + L"\r\n" + reason;
  return false;
}

void Journal::Undo(std::wstring* error) {
  std::wstring reason;
  for (auto value = values_.rbegin(); value != values_.rend(); ++value) {
    // A value still as it was needs no write (the refused write that started the undo).
    RawValue now;
    const bool exists = registry_.Get(value->root, value->key, value->name, &now);
    if (exists == value->existed && (!exists || now == value->old)) continue;
    const RegResult result =
        value->existed ? registry_.Set(value->root, value->key, value->name, value->old, &reason)
                       : registry_.DeleteValue(value->root, value->key, value->name, &reason);
    if (result == RegResult::kOk || result == RegResult::kNotFound) continue;
    *error += L"\r\n元に戻せなかった設定: " + ValueName(value->root, value->key, value->name);
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

std::wstring CommandValue(const std::wstring& exe) {
  // Quoted, or "C:\Program Files\..." would let C:\Program.exe run; %1 stays bare because
  // the start-up joins the pieces of a path with spaces again.
  return L"\"" + exe + L"\" %1";
}

std::wstring IconValue(const std::wstring& exe) { return L"\"" + exe + L"\",0"; }

std::wstring NamedExecutable(const std::wstring& text) {
  if (text.size() < 2 || text[0] != L'"') return L"";
  const std::size_t close = text.find(L'"', 1);
  if (close == std::wstring::npos) return L"";
  const std::wstring exe = text.substr(1, close - 1);
  if (text != CommandValue(exe) && text != IconValue(exe)) return L"";
  // A full path only: a relative one would be looked up wherever the shell happens to be.
  const bool full = IsFullPath(exe) && exe.size() > 4;
  return full && SamePathText(exe.substr(exe.size() - 4), L".exe") ? exe : L"";
}

const wchar_t kSelectionModel[] = L"MultiSelectModel";
const wchar_t kPlayer[] = L"Player";

}  // namespace reg
}  // namespace talvern
