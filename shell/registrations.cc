#include "shell/registrations.h"

#include <cwctype>
#include <vector>

#include "platform/paths.h"
#include "shell/open_with_candidate.h"
#include "shell/reg.h"
#include "shell/sendto.h"
#include "shell/verb.h"

namespace talvern {
namespace {

// Where the verb and the Open-with candidate name the executable, as they write it.
const wchar_t kCandidateKey[] = L"Talvern";
struct Place {
  KeyRoot root;
  const wchar_t* key;
};
const Place kPlaces[] = {
    {KeyRoot::kMachineClasses, kCommandKey},
    {KeyRoot::kUserClasses, kCommandKey},
    {KeyRoot::kUserSoftware, kCandidateCommandKey},
    {KeyRoot::kUserSoftware, kCandidateIconKey},
};

/// One registration that names an executable.
struct Registration {
  KeyRoot root = KeyRoot::kClasses;
  std::wstring key;        ///< whose default value names it; empty for the link.
  std::wstring link_file;  ///< the SendTo link; empty for a registry value.
  std::wstring text;       ///< the value, or the link's target.
  std::wstring exe;        ///< the executable named.
};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsTalvernExe(const std::wstring& path) {
  return Lower(path.substr(path.find_last_of(L"\\/") + 1)) == L"talvern.exe";
}

std::wstring Describe(const Registration& r) {
  return r.link_file.empty() ? reg::KeyName(r.root, r.key) : r.link_file;
}

std::wstring LinkFile(Platform& p, void* owner, std::wstring* error) {
  std::wstring folder;
  if (!p.shell->SendToFolder(owner, &folder, error) || folder.empty()) return L"";
  return AddPathSeparator(folder) + kSendToLinkName;
}

/// Every registration that names an executable. The link counts when it aims at a
/// "talvern.exe" or at an executable the registry values name (a renamed copy).
std::vector<Registration> Registrations(Platform& p, void* owner) {
  std::vector<Registration> found;
  for (const Place& place : kPlaces) {
    Registration r;
    r.root = place.root;
    r.key = place.key;
    if (!p.registry->GetValue(r.root, r.key, L"", &r.text)) continue;
    r.exe = NamedExecutable(r.text);
    if (!r.exe.empty()) found.push_back(r);
  }
  Registration link;
  std::wstring error;
  link.link_file = LinkFile(p, owner, &error);
  if (link.link_file.empty() || !p.shell->ReadShortcut(link.link_file, &link.text, &error)) {
    return found;
  }
  bool ours = IsTalvernExe(link.text);
  for (const Registration& r : found) ours = ours || Lower(r.exe) == Lower(link.text);
  link.exe = link.text;
  if (ours) found.push_back(link);
  return found;
}

bool Put(Platform& p, const Registration& r, const std::wstring& text, std::wstring* reason) {
  if (!r.link_file.empty()) return p.shell->WriteShortcut(r.link_file, text, reason);
  return p.registry->SetDefaultValue(r.root, r.key, text, reason) == RegResult::kOk;
}

/// Points every one of `moved` at `exe`; when one fails, puts the others back and returns
/// false with `error`.
bool Retarget(Platform& p, const std::vector<Registration>& moved, const std::wstring& exe,
              std::wstring* error) {
  std::size_t done = 0;
  std::wstring reason;
  for (; done < moved.size(); ++done) {
    const Registration& r = moved[done];
    // Only the path changes; what follows the quoted path stays as it was.
    const std::wstring text =
        r.link_file.empty() ? L"\"" + exe + L"\"" + r.text.substr(r.exe.size() + 2) : exe;
    if (!Put(p, r, text, &reason)) break;
  }
  if (done == moved.size()) return true;
  *error = Describe(moved[done]) + L"\r\n" + reason;
  bool undone = true;
  while (done-- > 0) {
    if (Put(p, moved[done], moved[done].text, &reason)) continue;
    *error += L"\r\n元に戻せなかった設定: " + Describe(moved[done]);
    undone = false;
  }
  if (undone) *error += L"\r\n登録はどれも元のままです。";
  return false;
}

}  // namespace

std::wstring NamedExecutable(const std::wstring& text) {
  if (text.size() < 2 || text[0] != L'"') return L"";
  const std::size_t close = text.find(L'"', 1);
  if (close == std::wstring::npos) return L"";
  const std::wstring tail = text.substr(close + 1);
  if (tail != L" %1" && tail != L",0") return L"";
  const std::wstring exe = text.substr(1, close - 1);
  // A full path only: a relative one would be looked up wherever the shell happens to be.
  const bool full =
      (exe.size() > 3 && exe[1] == L':' && exe[2] == L'\\') || exe.compare(0, 2, L"\\\\") == 0;
  return full && EndsWith(Lower(exe), L".exe") ? exe : L"";
}

void FollowMovedExecutable(Platform& p, void* owner) {
  std::vector<Registration> moved;
  std::vector<std::wstring> old_paths;
  for (const Registration& r : Registrations(p, owner)) {
    // Another copy that exists is in use and stays as it is.
    if (p.files->SameFile(r.exe, p.App.ExeFile) || p.files->FileExists(r.exe)) continue;
    moved.push_back(r);
    bool known = false;
    for (const std::wstring& path : old_paths) known = known || Lower(path) == Lower(r.exe);
    if (!known) old_paths.push_back(r.exe);
  }
  if (moved.empty()) return;
  std::wstring prompt = L"Talvern の登録が、今は見つからない Talvern を指しています。";
  for (const std::wstring& path : old_paths) prompt += L"\r\n古い場所: " + path;
  prompt += L"\r\n登録を、この Talvern (" + p.App.ExeFile + L") に向け直しますか?";
  if (!p.Ask(prompt, MsgIcon::kExclamation)) return;
  std::wstring error;
  if (!Retarget(p, moved, p.App.ExeFile, &error)) {
    p.MsgBox(L"登録を移せませんでした。\r\n" + error, MsgIcon::kCritical);
    return;
  }
  p.associations->NotifyChanged();
  std::wstring done = L"次の登録を、この Talvern (" + p.App.ExeFile + L") に移しました。";
  for (const Registration& r : moved) done += L"\r\n" + Describe(r);
  p.MsgBox(done, MsgIcon::kInformation);
}

namespace {

bool VerbExists(Registry& registry) {
  return registry.KeyExists(KeyRoot::kMachineClasses, kCommandKey) ||
         registry.KeyExists(KeyRoot::kUserClasses, kCommandKey);
}

bool CandidateExists(Registry& registry) {
  return registry.KeyExists(KeyRoot::kUserSoftware, kCandidateClassKey) ||
         registry.KeyExists(KeyRoot::kUserSoftware, kCandidateKey);
}

/// Deletes the SendTo link when it aims at Talvern; adds a line to `removed` or `kept`.
void RemoveLink(Platform& p, void* owner, std::vector<std::wstring>* removed,
                std::vector<std::wstring>* kept) {
  std::wstring error, target;
  const std::wstring link = LinkFile(p, owner, &error);
  if (link.empty()) {
    kept->push_back(L"「送る」フォルダーが見つかりません。\r\n" + error);
    return;
  }
  if (!p.shell->ReadShortcut(link, &target, &error)) {
    if (!error.empty()) kept->push_back(link + L"\r\n" + error);
    return;
  }
  if (!IsTalvernExe(target) && !p.files->SameFile(target, p.App.ExeFile)) {
    kept->push_back(link + L"\r\nTalvern ではないプログラム (" + target + L") を指しています。");
  } else if (p.shell->DeleteShortcut(link, &error)) {
    removed->push_back(L"「送る」のショートカット " + link);
  } else {
    kept->push_back(link + L"\r\n" + error);
  }
}

}  // namespace

void RemoveAllRegistrations(Platform& p, void* owner) {
  if (!p.Ask(L"Talvern の登録をすべて削除しますか?\r\n"
             L".doc ファイルの関連付け、「プログラムから開く」と既定のアプリに表示される "
             L"Talvern、「送る」のショートカット (TVern.lnk) を削除します。",
             MsgIcon::kExclamation, DefaultAnswer::kNo)) {
    return;
  }
  Registry& registry = *p.registry;
  const bool had_verb = VerbExists(registry), had_candidate = CandidateExists(registry);
  std::vector<std::wstring> removed, kept;
  std::wstring error;
  if (!UnregisterVerbAndCandidate(p, &error)) kept.push_back(error);
  if (had_verb && !VerbExists(registry)) removed.push_back(L".doc ファイルの関連付け (判別)");
  if (had_candidate && !CandidateExists(registry)) {
    removed.push_back(L"「プログラムから開く」と既定のアプリに表示される Talvern");
  }
  RemoveLink(p, owner, &removed, &kept);

  std::wstring prompt = !kept.empty() ? L"Talvern の登録の一部を削除できませんでした。"
                        : removed.empty() ? L"削除する Talvern の登録はありませんでした。"
                                          : L"Talvern の登録をすべて削除しました。";
  if (!removed.empty()) prompt += L"\r\n削除したもの:";
  for (const std::wstring& line : removed) prompt += L"\r\n・" + line;
  if (!kept.empty()) prompt += L"\r\n削除できなかったもの:";
  for (const std::wstring& line : kept) prompt += L"\r\n" + line;
  if (kept.empty()) {
    prompt +=
        L"\r\n設定ファイル (Data.ini) と Talvern のフォルダーは残っています。"
        L"不要なら、フォルダーごと削除してください。";
  }
  p.MsgBox(prompt, kept.empty() ? MsgIcon::kInformation : MsgIcon::kCritical);
}

}  // namespace talvern
