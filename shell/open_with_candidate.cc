#include "shell/open_with_candidate.h"

#include <cstddef>

#include "shell/reg.h"

namespace talvern {

// The one name Talvern registers goes into the page's URI as it is: letters need no escaping.
#define TALVERN_REGISTERED_NAME L"Talvern"
const wchar_t kRegisteredAppName[] = TALVERN_REGISTERED_NAME;
const wchar_t kDefaultAppsUri[] =
    L"ms-settings:defaultapps?registeredAppUser=" TALVERN_REGISTERED_NAME;
#undef TALVERN_REGISTERED_NAME
const wchar_t kCandidateClassKey[] = L"Classes\\Talvern.Document";
const wchar_t kCandidateIconKey[] = L"Classes\\Talvern.Document\\DefaultIcon";
const wchar_t kCandidateCommandKey[] = L"Classes\\Talvern.Document\\shell\\open\\command";

namespace {

constexpr KeyRoot kRoot = KeyRoot::kUserSoftware;
const wchar_t kProgId[] = L"Talvern.Document";
constexpr const wchar_t* kClass = kCandidateClassKey;
constexpr const wchar_t* kIcon = kCandidateIconKey;
constexpr const wchar_t* kOpen = kCandidateCommandKey;
const wchar_t kOpenVerb[] = L"Classes\\Talvern.Document\\shell\\open";
const wchar_t kOpenWith[] = L"Classes\\.doc\\OpenWithProgids";
const wchar_t kCapabilities[] = L"Talvern\\Capabilities";
const wchar_t kFileAssociations[] = L"Talvern\\Capabilities\\FileAssociations";
const wchar_t kRegistered[] = L"RegisteredApplications";
constexpr const wchar_t* kAppName = kRegisteredAppName;

// The keys a set may create, each before its parent. The first kOwnKeys are Talvern's own
// and go on remove; the others are shared with other programs and go only when a set that
// made them is undone, or on remove when nothing is left in them.
const wchar_t* const kKeys[] = {
    kOpen,
    kOpenVerb,
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
    {kOpenVerb, reg::kSelectionModel},
    {kCapabilities, L"ApplicationName"},
    {kCapabilities, L"ApplicationDescription"},
    {kFileAssociations, L".doc"},
    {kOpenWith, kProgId},
    {kRegistered, kAppName},
};

}  // namespace

OpenWithCandidate::OpenWithCandidate(Registry& registry)
    : registry_(registry), journal_(registry) {}

bool OpenWithCandidate::Write(const std::wstring& exe, std::wstring* error) {
  const std::wstring data[] = {
      L"Talvern 文書",
      reg::IconValue(exe),
      reg::CommandValue(exe),
      reg::kPlayer,
      kAppName,
      L"Word 文書とテキストの .doc ファイルを見分けて、それぞれのプログラムで開きます。",
      kProgId,
      L"",  // only the name matters under OpenWithProgids
      std::wstring(L"Software\\") + kCapabilities,
  };
  for (std::size_t i = 0; i < sizeof(kEntries) / sizeof(kEntries[0]); ++i) {
    if (journal_.Set(kRoot, kEntries[i].key, kEntries[i].name, data[i], error)) continue;
    Undo(error);
    return false;
  }
  return true;
}

void OpenWithCandidate::Undo(std::wstring* error) { journal_.Undo(error); }

bool OpenWithCandidate::Remove(bool* changed, std::wstring* error) {
  bool ok = true, went = false;
  auto note = [&](RegResult result, const std::wstring& what, const std::wstring& reason) {
    went = went || result == RegResult::kOk;
    if (result == RegResult::kOk) *changed = true;
    if (result == RegResult::kOk || result == RegResult::kNotFound || !ok) return;
    *error = what + L"\r\n" + reason;
    ok = false;
  };
  std::wstring reason;
  // Only Talvern's own value goes from the keys other programs share.
  for (const Entry& entry : {Entry{kOpenWith, kProgId}, Entry{kRegistered, kAppName}}) {
    note(registry_.DeleteValue(kRoot, entry.key, entry.name, &reason),
         reg::ValueName(kRoot, entry.key, entry.name), reason);
  }
  for (std::size_t i = 0; i < kOwnKeys; ++i) {
    note(registry_.DeleteKey(kRoot, kKeys[i], &reason), reg::KeyName(kRoot, kKeys[i]), reason);
  }
  // A shared key this removal left empty only clutters the registry; with nothing of
  // Talvern's removed, an empty one (Windows makes some) stays as it is.
  for (std::size_t i = kOwnKeys; i < sizeof kKeys / sizeof kKeys[0]; ++i) {
    if (!went || !registry_.KeyIsEmpty(kRoot, kKeys[i])) continue;
    note(registry_.DeleteKey(kRoot, kKeys[i], &reason), reg::KeyName(kRoot, kKeys[i]), reason);
  }
  return ok;
}

}  // namespace talvern
