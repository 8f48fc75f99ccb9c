#include "shell/open_with_candidate.h"

#include <cstddef>

#include "shell/reg.h"

namespace talvern {
namespace {

constexpr KeyRoot kRoot = KeyRoot::kUserSoftware;
const wchar_t kProgId[] = L"Talvern.Document";
const wchar_t kClass[] = L"Classes\\Talvern.Document";
const wchar_t kIcon[] = L"Classes\\Talvern.Document\\DefaultIcon";
const wchar_t kOpen[] = L"Classes\\Talvern.Document\\shell\\open\\command";
const wchar_t kOpenWith[] = L"Classes\\.doc\\OpenWithProgids";
const wchar_t kCapabilities[] = L"Talvern\\Capabilities";
const wchar_t kFileAssociations[] = L"Talvern\\Capabilities\\FileAssociations";
const wchar_t kRegistered[] = L"RegisteredApplications";
const wchar_t kAppName[] = L"Talvern";

// The keys a set may create, each before its parent. The first kOwnKeys are Talvern's own
// and go on remove; the others are shared with other programs and go only when a set that
// made them is undone, or on remove when nothing is left in them.
const wchar_t* const kKeys[] = {
    kOpen,
    L"Classes\\Talvern.Document\\shell\\open",
    L"Classes\\Talvern.Document\\shell",
    kIcon,
    kClass,
    kFileAssociations,
    kCapabilities,
    L"Talvern",
    kOpenWith,
    L"Classes\\.doc",
    kRegistered,
};
constexpr std::size_t kOwnKeys = 8;

struct Entry {
  const wchar_t* key;
  const wchar_t* name;
};
// Written in this order; the values of the shared keys last, once everything they point
// at exists.
constexpr Entry kEntries[] = {
    {kClass, L""},
    {kIcon, L""},
    {kOpen, L""},
    {kCapabilities, L"ApplicationName"},
    {kCapabilities, L"ApplicationDescription"},
    {kFileAssociations, L".doc"},
    {kOpenWith, kProgId},
    {kRegistered, kAppName},
};

std::wstring ValueName(const wchar_t* key, const wchar_t* name) {
  const std::wstring full = reg::KeyName(kRoot, key);
  return *name ? full + L" (" + name + L")" : full;
}

}  // namespace

OpenWithCandidate::OpenWithCandidate(Registry& registry) : registry_(registry) {
  for (const Entry& entry : kEntries) {
    Value value{entry.key, entry.name, false, std::wstring()};
    value.existed = registry_.GetValue(kRoot, entry.key, entry.name, &value.old);
    values_.push_back(value);
  }
  for (const wchar_t* key : kKeys) keys_existed_.push_back(registry_.KeyExists(kRoot, key));
}

bool OpenWithCandidate::Write(const std::wstring& exe, const std::wstring& command,
                              std::wstring* error) {
  const std::wstring data[] = {
      L"Talvern 文書",
      L"\"" + exe + L"\",0",
      command,
      kAppName,
      L"Word 文書とテキストの .doc ファイルを見分けて、それぞれのプログラムで開きます。",
      kProgId,
      L"",  // only the name matters under OpenWithProgids
      std::wstring(L"Software\\") + kCapabilities,
  };
  for (written_ = 0; written_ < values_.size(); ++written_) {
    std::wstring reason;
    const Value& value = values_[written_];
    if (registry_.SetValue(kRoot, value.key, value.name, data[written_], &reason) ==
        RegResult::kOk) {
      continue;
    }
    *error = ValueName(value.key, value.name) + L"\r\n" + reason;
    Undo(error);
    return false;
  }
  return true;
}

void OpenWithCandidate::Undo(std::wstring* error) {
  std::wstring reason;
  for (auto value = values_.rend() - static_cast<std::ptrdiff_t>(written_); value != values_.rend();
       ++value) {
    const RegResult result =
        value->existed ? registry_.SetValue(kRoot, value->key, value->name, value->old, &reason)
                       : registry_.DeleteValue(kRoot, value->key, value->name, &reason);
    if (result != RegResult::kOk && result != RegResult::kNotFound) {
      *error += L"\r\n元に戻せなかった設定: " + ValueName(value->key, value->name);
    }
  }
  for (std::size_t i = 0; i < keys_existed_.size(); ++i) {
    if (keys_existed_[i]) continue;
    const RegResult result = registry_.DeleteKey(kRoot, kKeys[i], &reason);
    if (result != RegResult::kOk && result != RegResult::kNotFound) {
      *error += L"\r\n元に戻せなかった設定: " + reg::KeyName(kRoot, kKeys[i]);
    }
  }
}

bool OpenWithCandidate::Remove(bool* changed, std::wstring* error) {
  bool ok = true;
  auto note = [&](RegResult result, const std::wstring& what, const std::wstring& reason) {
    if (result == RegResult::kOk) *changed = true;
    if (result == RegResult::kOk || result == RegResult::kNotFound || !ok) return;
    *error = what + L"\r\n" + reason;
    ok = false;
  };
  std::wstring reason;
  // Only Talvern's own value goes from the keys other programs share.
  for (const Entry& entry : {Entry{kOpenWith, kProgId}, Entry{kRegistered, kAppName}}) {
    note(registry_.DeleteValue(kRoot, entry.key, entry.name, &reason),
         ValueName(entry.key, entry.name), reason);
  }
  for (std::size_t i = 0; i < kOwnKeys; ++i) {
    note(registry_.DeleteKey(kRoot, kKeys[i], &reason), reg::KeyName(kRoot, kKeys[i]), reason);
  }
  // A shared key that holds nothing now only clutters the registry, whoever made it.
  for (std::size_t i = kOwnKeys; i < sizeof kKeys / sizeof kKeys[0]; ++i) {
    if (!registry_.KeyIsEmpty(kRoot, kKeys[i])) continue;
    note(registry_.DeleteKey(kRoot, kKeys[i], &reason), reg::KeyName(kRoot, kKeys[i]), reason);
  }
  return ok;
}

}  // namespace talvern
