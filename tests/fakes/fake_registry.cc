#include "tests/fakes/fake_registry.h"

#include <iterator>

#include "tests/fakes/fake_text.h"

namespace talvern {

namespace {

const wchar_t* RootName(KeyRoot root) {
  switch (root) {
    case KeyRoot::kClasses:
      return L"HKCR";
    case KeyRoot::kMachineClasses:
      return L"HKLM";
    case KeyRoot::kUserClasses:
      return L"HKCU";
    case KeyRoot::kUserSoftware:
      return L"HKCU\\Software";
    case KeyRoot::kClasses64:
      return L"HKCR64";
    case KeyRoot::kClasses32:
      return L"HKCR32";
  }
  return L"?";
}

}  // namespace

KeyRoot FakeRegistry::Target(KeyRoot root, const std::wstring& key) const {
  if (root != KeyRoot::kClasses) return root;
  return Has(KeyRoot::kUserClasses, key) ? KeyRoot::kUserClasses : KeyRoot::kMachineClasses;
}

RegResult FakeRegistry::Set(KeyRoot root, const std::wstring& key, const std::wstring& name,
                            const RawValue& value, std::wstring* error) {
  std::wstring text;
  value.GetText(&text);  // strings only: Get gives every value back as REG_SZ
  const KeyRoot target = Target(root, key);
  if (read_only.count(target) || refused.count(FakeLower(key))) {
    *error = L"RegCreateKeyExW: Access is denied.";
    return RegResult::kAccessDenied;
  }
  // Creating a key creates its missing parents, with empty default values.
  const std::wstring lower = FakeLower(key);
  for (std::size_t cut = lower.find(L'\\'); cut != std::wstring::npos;
       cut = lower.find(L'\\', cut + 1)) {
    keys.emplace(std::make_pair(target, lower.substr(0, cut)), std::wstring());
  }
  if (name.empty()) {
    keys[{target, lower}] = text;
  } else {
    keys.emplace(std::make_pair(target, lower), std::wstring());
    values[{target, lower, FakeLower(name)}] = text;
  }
  log.push_back(std::wstring(L"set ") + RootName(root) + L" " + key +
                (name.empty() ? L"" : L":" + name) + L"=" + text);
  return RegResult::kOk;
}

bool FakeRegistry::Get(KeyRoot root, const std::wstring& key, const std::wstring& name,
                       RawValue* value) {
  const KeyRoot target = Target(root, key);
  if (name.empty()) {
    auto found = keys.find({target, FakeLower(key)});
    if (found == keys.end()) return false;
    *value = RawValue::Text(found->second);
    return true;
  }
  auto found = values.find({target, FakeLower(key), FakeLower(name)});
  if (found == values.end()) return false;
  *value = RawValue::Text(found->second);
  return true;
}

RegResult FakeRegistry::DeleteKey(KeyRoot root, const std::wstring& key, std::wstring* error) {
  const KeyRoot target = Target(root, key);
  const std::wstring name = FakeLower(key);
  if (!keys.count({target, name})) {
    *error = L"RegDeleteKeyW: The system cannot find the file specified.";
    return RegResult::kNotFound;
  }
  if (read_only.count(target)) {
    *error = L"RegDeleteKeyW: Access is denied.";
    return RegResult::kAccessDenied;
  }
  for (const auto& entry : keys) {
    if (entry.first.first == target && entry.first.second.rfind(name + L"\\", 0) == 0) {
      *error = L"RegDeleteKeyW: Access is denied.";
      return RegResult::kAccessDenied;
    }
  }
  keys.erase({target, name});
  for (auto value = values.begin(); value != values.end();) {
    const bool below = std::get<0>(value->first) == target && std::get<1>(value->first) == name;
    value = below ? values.erase(value) : std::next(value);
  }
  log.push_back(std::wstring(L"delete ") + RootName(root) + L" " + key);
  return RegResult::kOk;
}

bool FakeRegistry::KeyExists(KeyRoot root, const std::wstring& key) { return Has(root, key); }

bool FakeRegistry::KeyIsEmpty(KeyRoot root, const std::wstring& key) {
  const KeyRoot target = Target(root, key);
  const std::wstring name = FakeLower(key);
  auto found = keys.find({target, name});
  if (found == keys.end() || !found->second.empty()) return false;
  for (const auto& entry : keys) {
    if (entry.first.first == target && entry.first.second.rfind(name + L"\\", 0) == 0) {
      return false;
    }
  }
  for (const auto& value : values) {
    if (std::get<0>(value.first) == target && std::get<1>(value.first) == name) return false;
  }
  return true;
}

RegResult FakeRegistry::DeleteValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                                    std::wstring* error) {
  auto found = values.find({root, FakeLower(key), FakeLower(name)});
  // A default value lives in `keys`, where empty text stands for none.
  auto owner = name.empty() ? keys.find({root, FakeLower(key)}) : keys.end();
  const bool is_default = owner != keys.end() && !owner->second.empty();
  if (!is_default && found == values.end()) {
    *error = L"RegDeleteKeyValueW: The system cannot find the file specified.";
    return RegResult::kNotFound;
  }
  if (read_only.count(root)) {
    *error = L"RegDeleteKeyValueW: Access is denied.";
    return RegResult::kAccessDenied;
  }
  if (is_default) owner->second.clear();
  if (!is_default) values.erase(found);
  log.push_back(std::wstring(L"delete ") + RootName(root) + L" " + key + L":" + name);
  return RegResult::kOk;
}

bool FakeRegistry::Has(KeyRoot root, const std::wstring& key) const {
  if (root == KeyRoot::kClasses) {
    return Has(KeyRoot::kUserClasses, key) || Has(KeyRoot::kMachineClasses, key);
  }
  return keys.count({root, FakeLower(key)}) != 0;
}

std::wstring FakeRegistry::MergedValue(const std::wstring& key) const {
  auto found = keys.find({Target(KeyRoot::kClasses, key), FakeLower(key)});
  return found == keys.end() ? std::wstring() : found->second;
}

}  // namespace talvern
