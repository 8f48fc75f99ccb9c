#include "shell/registrations.h"

#include <vector>

#include "platform/paths.h"
#include "shell/open_with_candidate.h"
#include "shell/reg.h"
#include "shell/sendto.h"
#include "shell/verb.h"

namespace talvern {
namespace {

/// One registration that names an executable.
struct Registration {
  const reg::Row* place = nullptr;  ///< the row (a command or an icon); null for the link.
  std::wstring link_file;           ///< the SendTo link; empty for a registry value.
  std::wstring exe;                 ///< the executable named.
};

/// True when the link's `target` is Talvern, or an executable that one of `found` (the
/// registry values) names: a copy that is gone can no longer tell who it was.
bool LinkIsOurs(Platform& p, const std::vector<Registration>& found, const std::wstring& target) {
  for (const Registration& r : found) {
    if (r.place && SamePathText(r.exe, target)) return true;
  }
  return IsTalvern(p, target);
}

std::wstring Describe(const Registration& r) {
  return r.place ? reg::KeyName(r.place->root, r.place->key) : r.link_file;
}

/// Every registration that names an executable, the link last when LinkIsOurs.
std::vector<Registration> Registrations(Platform& p) {
  std::vector<Registration> found;
  // The current user's only: the machine-wide verb of an earlier version is no place a move
  // writes (only an administrator may, and the question would come back at every opening).
  for (const reg::Table& table : {kVerb, kCandidate}) {
    for (const reg::Row& row : table) {
      Registration r;
      r.place = &row;
      std::wstring text;
      if (row.data == reg::Data::kText ||
          !reg::DefaultText(*p.registry, row.root, row.key, &text)) {
        continue;
      }
      r.exe = reg::NamedExecutable(text);
      if (!r.exe.empty()) found.push_back(r);
    }
  }
  Registration link;
  std::wstring error;
  link.link_file = SendToLinkFile(p, &error);
  if (link.link_file.empty() || !p.shell->ReadShortcut(link.link_file, &link.exe, &error)) {
    return found;
  }
  if (LinkIsOurs(p, found, link.exe)) found.push_back(link);
  return found;
}

/// Points every one of `moved` at `exe`, writing there what "関連付けを設定" and
/// "送るにショートカット" write (a command's verb gets its selection model too); when one
/// fails, puts the others back and returns false with `error`.
bool Retarget(Platform& p, const std::vector<Registration>& moved, const std::wstring& exe,
              std::wstring* error) {
  reg::Journal journal(*p.registry);
  bool ok = true;
  for (auto r = moved.begin(); ok && r != moved.end(); ++r) {
    if (!r->place) {
      // The link comes last, so nothing written after it needs undoing.
      std::wstring reason;
      ok = p.shell->WriteShortcut(r->link_file, exe, &reason);
      if (!ok) *error = r->link_file + L"\r\n" + reason;
      continue;
    }
    const reg::Row& at = *r->place;
    const std::wstring key = at.key, verb = key.substr(0, key.rfind(L'\\'));
    ok = journal.Set(at.root, at.key, L"", reg::ValueOf(at, exe), error) &&
         (at.data != reg::Data::kCommand ||
          journal.Set(at.root, verb, reg::kSelectionModel, reg::kPlayer, error));
  }
  if (ok) return true;
  const std::size_t reported = error->size();
  journal.Undo(error);
  if (error->size() == reported) *error += L"\r\n登録はどれも元のままです。";
  return false;
}

}  // namespace

void FollowMovedExecutable(Platform& p) {
  std::vector<Registration> moved;
  std::vector<std::wstring> old_paths;
  for (const Registration& r : Registrations(p)) {
    // Another copy that exists is in use and stays as it is.
    if (p.files->FileExists(r.exe) || IsTalvern(p, r.exe)) continue;
    moved.push_back(r);
    bool known = false;
    for (const std::wstring& path : old_paths) known = known || SamePathText(path, r.exe);
    if (!known) old_paths.push_back(r.exe);
  }
  if (moved.empty()) return;
  std::wstring prompt = L"Talvern の登録が、今は見つからない Talvern を指しています。";
  for (const std::wstring& path : old_paths) prompt += L"\r\n古い場所: " + path;
  // Named once here: an earlier version's machine-wide verb whose exe is gone.
  const std::wstring machine = MachineWideVerb(*p.registry);
  if (!machine.empty() && !p.files->FileExists(machine)) {
    prompt += L"\r\n" + reg::KeyName(KeyRoot::kMachineClasses, kCommandKey) +
              L" は向け直しません。" + kMachineWideAdvice;
  }
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
  return reg::Present(registry, kVerb) || MachineWideVerbExists(registry);
}

/// Deletes the SendTo link when LinkIsOurs by `found`; adds a line to `removed` or `kept`.
/// True when it kept a link that aims at another program.
bool RemoveLink(Platform& p, const std::vector<Registration>& found,
                std::vector<std::wstring>* removed, std::vector<std::wstring>* kept) {
  std::wstring error, target;
  const std::wstring link = SendToLinkFile(p, &error);
  if (link.empty()) {
    kept->push_back(L"「送る」フォルダーが見つかりません。\r\n" + error);
    return false;
  }
  if (!p.shell->ReadShortcut(link, &target, &error)) {
    if (!error.empty()) kept->push_back(link + L"\r\n" + error);
    return false;
  }
  const bool other = !LinkIsOurs(p, found, target);
  if (other) {
    kept->push_back(link + L"\r\nTalvern ではないプログラム (" + target + L") を指しています。");
  } else if (p.shell->DeleteShortcut(link, &error)) {
    removed->push_back(L"「送る」のショートカット " + link);
  } else {
    kept->push_back(link + L"\r\n" + error);
  }
  return other;
}

}  // namespace

Outcome RemoveAllRegistrations(Platform& p, bool ask) {
  const std::wstring candidate = L"「プログラムから開く」と既定のアプリに表示される Talvern";
  if (ask && !p.Ask(L"Talvern の登録をすべて削除しますか?\r\n.doc ファイルの関連付け、" + candidate +
                 L"、「送る」のショートカット (TVern.lnk) を削除します。",
             MsgIcon::kExclamation, DefaultAnswer::kNo)) {
    return Outcome::kDone;
  }
  Registry& registry = *p.registry;
  const bool had_verb = VerbExists(registry), had_candidate = reg::Present(registry, kCandidate);
  const std::vector<Registration> found = Registrations(p);
  std::vector<std::wstring> removed, kept;
  std::wstring error;
  Unregistered done;
  if (!UnregisterVerbAndCandidate(p, &done, &error)) kept.push_back(error);
  if ((had_verb && !VerbExists(registry)) || done.default_verb) {
    removed.push_back(L".doc ファイルの関連付け (判別)");
  }
  if (had_candidate && !reg::Present(registry, kCandidate)) {
    removed.push_back(candidate);
  }
  const bool refused = RemoveLink(p, found, &removed, &kept);

  std::wstring prompt = !kept.empty() ? L"Talvern の登録の一部を削除できませんでした。"
                        : removed.empty() ? L"削除する Talvern の登録はありませんでした。"
                                          : L"Talvern の登録をすべて削除しました。";
  if (!removed.empty()) prompt += L"\r\n削除したもの:";
  for (const std::wstring& line : removed) prompt += L"\r\n・" + line;
  if (!done.other_default.empty()) prompt += L"\r\n" + DefaultVerbStays(done.other_default);
  if (!kept.empty()) prompt += L"\r\n削除できなかったもの:";
  for (const std::wstring& line : kept) prompt += L"\r\n" + line;
  if (kept.empty()) {
    prompt +=
        L"\r\n設定ファイル (Data.ini) と Talvern のフォルダーは残っています。"
        L"不要なら、フォルダーごと削除してください。";
  }
  p.MsgBox(prompt, kept.empty() ? MsgIcon::kInformation : MsgIcon::kCritical);
  if (kept.size() > (refused ? 1u : 0u)) return Outcome::kFailed;
  if (refused) return Outcome::kRefused;
  return removed.empty() ? Outcome::kNothingToDo : Outcome::kDone;
}

}  // namespace talvern
