#include "shell/verb.h"

#include <cwctype>

#include "platform/paths.h"
#include "shell/open_with_candidate.h"
#include "shell/reg.h"

namespace talvern {
namespace {

const wchar_t kShellKey[] = L"Word.Document.8\\shell";
const wchar_t kVerbKey[] = L"Word.Document.8\\shell\\TVern";
const wchar_t kCommandKey[] = L"Word.Document.8\\shell\\TVern\\command";

std::wstring ExePath(const AppFacts& app) {
  return AddPathSeparator(app.Path) + app.EXEName + L".exe";
}

// Windows 8 and later name their "How do you want to open this file?" dialog as the
// program of a type that has none.
bool IsOpenWithDialog(const std::wstring& executable) {
  std::wstring name = executable.substr(executable.find_last_of(L"\\/") + 1);
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
  return name == L"openwith.exe";
}

}  // namespace

std::wstring VerbCommandLine(const AppFacts& app) {
  // Quoted, or "C:\Program Files\..." would let C:\Program.exe run; %1 stays bare because
  // the start-up joins the pieces of a path with spaces again.
  return L"\"" + ExePath(app) + L"\" %1";
}

void ReportDoubleClick(Platform& p) {
  const std::wstring done = L"関連付けを設定しました";
  std::wstring executable, name;
  const bool found = p.associations->Query(L".doc", L"", &executable, &name);
  if (found && p.associations->SameFile(executable, p.App.ExeFile)) {
    p.MsgBox(done, MsgIcon::kInformation);
  } else if (!found || IsOpenWithDialog(executable)) {
    p.MsgBox(done +
                 L"\r\n.doc ファイルを開くプログラムはまだ決まっていません。次に .doc "
                 L"ファイルをダブルクリックすると、使うプログラムを Windows が尋ねます。"
                 L"そこに表示される Talvern を選んでください。",
             MsgIcon::kInformation);
  } else {
    if (name.empty()) name = executable.substr(executable.find_last_of(L"\\/") + 1);
    p.MsgBox(done + L"\r\nただし、.doc ファイルをダブルクリックすると、今は " + name + L" (" +
                 executable +
                 L") が開きます。\r\nTalvern で開くには、.doc ファイルを右クリックして"
                 L"「プログラムから開く」→「別のプログラムを選択」で Talvern を選び、"
                 L"「常にこのアプリを使って .doc ファイルを開く」をオンにしてください。",
             MsgIcon::kExclamation);
  }
}

void SetAssociation(Platform& p) {
  Registry& registry = *p.registry;
  std::wstring error;
  OpenWithCandidate candidate(registry);
  // The candidate keys first: they undo themselves when they fail, and are undone when the
  // verb then fails. The verb and its command exist before the verb becomes the default.
  bool ok = candidate.Write(ExePath(p.App), VerbCommandLine(p.App), &error);
  if (ok) {
    ok = reg::SetClassesRootDefault(registry, kVerbKey, L"判別", &error) &&
         reg::SetClassesRootDefault(registry, kCommandKey, VerbCommandLine(p.App), &error) &&
         reg::SetClassesRootDefault(registry, kShellKey, L"TVern", &error);
    if (!ok) candidate.Undo(&error);
  }
  if (!ok) {
    p.MsgBox(L"関連付けを設定できませんでした。\r\n" + error, MsgIcon::kCritical);
    return;
  }
  p.associations->NotifyChanged();
  ReportDoubleClick(p);
}

bool UnregisterVerbAndCandidate(Platform& p, std::wstring* error) {
  Registry& registry = *p.registry;
  // "Open" first, so the class never has a default verb that is gone. The command goes
  // before the verb: the NT family will not delete a key that still has subkeys.
  bool ok = reg::SetClassesRootDefault(registry, kShellKey, L"Open", error);
  bool changed = ok;
  if (ok) {
    ok = reg::DeleteClassesRootKey(registry, kCommandKey, error);
    std::wstring verb_error;
    if (!reg::DeleteClassesRootKey(registry, kVerbKey, &verb_error) && ok) {
      *error = verb_error;
      ok = false;
    }
  }
  std::wstring candidate_error;
  if (!OpenWithCandidate(registry).Remove(&changed, &candidate_error) && ok) {
    *error = candidate_error;
    ok = false;
  }
  if (changed) p.associations->NotifyChanged();
  return ok;
}

void RemoveAssociation(Platform& p) {
  std::wstring error;
  if (!UnregisterVerbAndCandidate(p, &error)) {
    p.MsgBox(L"関連付けを解除できませんでした。\r\n" + error, MsgIcon::kCritical);
    return;
  }
  p.MsgBox(L"関連付けを解除しました\r\n関連付けを標準に戻しました", MsgIcon::kInformation);
}

}  // namespace talvern
