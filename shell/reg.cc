#include "shell/reg.h"

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

bool SetClassesRootDefault(Registry& registry, const std::wstring& key, const std::wstring& value,
                           std::wstring* error) {
  // Machine-wide by name: a write through HKEY_CLASSES_ROOT would land in the per-user copy
  // whenever one exists and leave the machine-wide value, which other users see, behind.
  std::wstring machine_error;
  if (registry.SetDefaultValue(KeyRoot::kMachineClasses, key, value, &machine_error) ==
      RegResult::kOk) {
    // A per-user copy of the key would hide the value just written; keep it in step.
    if (!registry.KeyExists(KeyRoot::kUserClasses, key)) return true;
    std::wstring user_error;
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
