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
  const KeyRoot target = Target(root, key);
  if (read_only.count(target) || refused.count(FakeLower(key))) {
    *error = L"RegCreateKeyExW: Access is denied.";
    return RegResult::kAccessDenied;
  }
  // Creating a key creates its missing parents, without values.
  const std::wstring lower = FakeLower(key);
  for (std::size_t cut = lower.find(L'\\'); cut != std::wstring::npos;
       cut = lower.find(L'\\', cut + 1)) {
    keys.emplace(std::make_pair(target, lower.substr(0, cut)), FakeValue());
  }
  if (name.empty()) {
    keys[{target, lower}] = FakeValue(value);
  } else {
    keys.emplace(std::make_pair(target, lower), FakeValue());
    values[{target, lower, FakeLower(name)}] = FakeValue(value);
  }
  log.push_back(std::wstring(L"set ") + RootName(root) + L" " + key +
                (name.empty() ? L"" : L":" + name) + L"=" + FakeValue(value).text());
  return RegResult::kOk;
}

bool FakeRegistry::Get(KeyRoot root, const std::wstring& key, const std::wstring& name,
                       RawValue* value) {
  const FakeValue* found = Find(Target(root, key), key, name);
  if (!found) return false;
  *value = found->raw;
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
  if (found == keys.end() || found->second.present) return false;
  for (const auto& entry : keys) {
    if (entry.first.first == target && entry.first.second.rfind(name + L"\\", 0) == 0) {
      return false;
    }
  }
  for (const auto& value : values) {
    if (std::get<0>(value.first) == target && std::get<1>(value.first) == name &&
        value.second.present) {
      return false;
    }
  }
  return true;
}

RegResult FakeRegistry::DeleteValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                                    std::wstring* error) {
  const KeyRoot target = Target(root, key);
  FakeValue* found = Find(target, key, name);
  if (!found) {
    *error = L"RegDeleteKeyValueW: The system cannot find the file specified.";
    return RegResult::kNotFound;
  }
  if (read_only.count(target)) {
    *error = L"RegDeleteKeyValueW: Access is denied.";
    return RegResult::kAccessDenied;
  }
  *found = FakeValue();
  log.push_back(std::wstring(L"delete ") + RootName(root) + L" " + key + L":" + name);
  return RegResult::kOk;
}

FakeValue* FakeRegistry::Find(KeyRoot target, const std::wstring& key, const std::wstring& name) {
  const std::wstring lower = FakeLower(key);
  if (!keys.count({target, lower})) return nullptr;
  FakeValue* found = nullptr;
  if (name.empty()) {
    found = &keys[{target, lower}];
  } else {
    auto named = values.find({target, lower, FakeLower(name)});
    if (named != values.end()) found = &named->second;
  }
  return found && found->present ? found : nullptr;
}

bool FakeRegistry::Has(KeyRoot root, const std::wstring& key) const {
  if (root == KeyRoot::kClasses) {
    return Has(KeyRoot::kUserClasses, key) || Has(KeyRoot::kMachineClasses, key);
  }
  return keys.count({root, FakeLower(key)}) != 0;
}

std::wstring FakeRegistry::MergedValue(const std::wstring& key) const {
  auto found = keys.find({Target(KeyRoot::kClasses, key), FakeLower(key)});
  return found == keys.end() ? std::wstring() : found->second.text();
}

FakeValue::FakeValue(const std::wstring& text) : present(!text.empty()) {
  if (present) raw = RawValue::Text(text);
}

std::wstring FakeValue::text() const {
  std::wstring text;
  if (present) raw.GetText(&text);
  return text;
}

void PrintTo(const FakeValue& value, std::ostream* out) {
  if (!value.present) {
    *out << "(none)";
    return;
  }
  *out << "type " << value.raw.type << " \"";
  for (wchar_t c : value.text()) {
    if (c >= 0x20 && c < 0x7f) {
      *out << static_cast<char>(c);
    } else {
      *out << "\\u" << std::hex << static_cast<unsigned>(c) << std::dec;
    }
  }
  *out << '"';
}

}  // namespace talvern
