#include "shell/verb.h"

#include <string>

#include "platform/paths.h"
#include "shell/open_with_candidate.h"
#include "shell/reg.h"

namespace talvern {

const wchar_t kCommandKey[] = L"Word.Document.8\\shell\\TVern\\command";
const wchar_t kMachineWideAdvice[] =
    L"以前の版が PC 全体に登録した関連付けです。Talvern を一度、管理者として実行して"
    L"「関連付けを解除」を押すと削除できます。";

namespace {

const wchar_t kShellKey[] = L"Word.Document.8\\shell";
const wchar_t kVerbKey[] = L"Word.Document.8\\shell\\TVern";

const wchar_t kWindowsAsks[] =
    L"次に .doc ファイルをダブルクリックすると、使うプログラムを Windows が尋ねます。"
    L"そこに表示される Talvern を選んでください。";
const wchar_t kOpenWithSteps[] =
    L"Talvern で開くには、.doc ファイルを右クリックして"
    L"「プログラムから開く」→「別のプログラムを選択」で Talvern を選び、"
    L"「常にこのアプリを使って .doc ファイルを開く」をオンにしてください。";

// What to do on the default-apps page, in the words of the running Windows: 11 (build
// 22000 on) opens Talvern's own page, 10 the general one.
std::wstring DefaultAppsSteps(unsigned long windows_build) {
  if (windows_build >= 22000) {
    return L"Talvern で開くには、Windows の設定の「既定のアプリ」で Talvern のページの .doc を"
           L"クリックし、Talvern を選んで「既定値を設定」を押してください。";
  }
  return L"Talvern で開くには、Windows の設定の「既定のアプリ」で「ファイルの種類ごとに既定の"
         L"アプリを選ぶ」をクリックし、.doc の右のアプリをクリックして Talvern を選んでください。";
}

// The verb's values as "関連付けを設定" writes them for the current user, the default verb
// last, once the verb and its command exist.
const struct {
  const wchar_t* key;
  const wchar_t* name;
} kVerbValues[] = {
    {kVerbKey, L""}, {kVerbKey, reg::kSelectionModel}, {kCommandKey, L""}, {kShellKey, L""}};

/// Deletes the verb an earlier version wrote for the whole machine, and puts its default
/// verb back to "Open"; sets `*changed` when anything went. False with `error` when that
/// is not allowed.
bool RemoveMachineWideVerb(Registry& registry, bool* changed, std::wstring* error) {
  constexpr KeyRoot kMachine = KeyRoot::kMachineClasses;
  std::wstring shell, reason;
  const bool ours = registry.GetValue(kMachine, kShellKey, L"", &shell) && shell == L"TVern";
  const bool verb = !MachineWideVerb(registry).empty();
  const wchar_t* key = kShellKey;
  RegResult result =
      ours ? registry.SetValue(kMachine, kShellKey, L"", L"Open", &reason) : RegResult::kOk;
  // The command before the verb: the NT family will not delete a key that has subkeys.
  for (const wchar_t* next : {kCommandKey, kVerbKey}) {
    if (!verb || result != RegResult::kOk) break;
    key = next;
    result = registry.DeleteKey(kMachine, key, &reason);
  }
  if (result == RegResult::kOk) *changed = *changed || ours || verb;
  if (result == RegResult::kOk || result == RegResult::kNotFound) return true;
  *error = reg::KeyName(kMachine, key) + L"\r\n" + reason + L"\r\n" + kMachineWideAdvice;
  return false;
}

}  // namespace

std::wstring MachineWideVerb(Registry& registry) {
  std::wstring command;
  if (!registry.GetValue(KeyRoot::kMachineClasses, kCommandKey, L"", &command)) return L"";
  return reg::NamedExecutable(command);
}

bool IsWindowsChooser(const std::wstring& executable) {
  // Windows 8 and later name it as the program of a type that has none.
  return SamePathText(FileName(executable), L"OpenWith.exe");
}

void ReportDoubleClick(Platform& p) {
  const std::wstring done = L"関連付けを設定しました";
  std::wstring executable, name;
  bool found = p.associations->Query(L".doc", L"", &executable, &name) &&
               !IsWindowsChooser(executable) && !(executable.empty() && name.empty());
  if (found && !executable.empty() && p.associations->SameFile(executable, p.App.ExeFile)) {
    p.MsgBox(done, MsgIcon::kInformation);
    return;
  }
  std::wstring prompt = done + L"\r\n";
  MsgIcon icon = MsgIcon::kInformation;
  if (found) {
    // A packaged app comes with a name and without an executable of its own.
    if (name.empty()) name = FileName(executable);
    if (!executable.empty()) name += L" (" + executable + L")";
    prompt += L"ただし、.doc ファイルをダブルクリックすると、今は " + name + L" が開きます。";
    icon = MsgIcon::kExclamation;
  } else {
    prompt += L".doc ファイルを開くプログラムはまだ決まっていません。";
  }
  // Without a Settings app (Windows 7 and 8, some Server editions) "Open with" is the way.
  if (!p.registry->KeyExists(KeyRoot::kClasses, L"ms-settings")) {
    p.MsgBox(prompt + (found ? L"\r\n" + std::wstring(kOpenWithSteps) : kWindowsAsks), icon);
    return;
  }
  prompt += L"\r\n" + DefaultAppsSteps(p.App.WindowsBuild) +
            L"\r\n「既定のアプリ」の設定を今すぐ開きますか?";
  if (!p.Ask(prompt, icon)) return;
  std::wstring error;
  if (!p.shell->OpenUri(kDefaultAppsUri, &error)) {
    p.MsgBox(L"「既定のアプリ」の設定を開けませんでした。\r\n" + error + L"\r\n" + kOpenWithSteps,
             MsgIcon::kCritical);
  }
}

void SetAssociation(Platform& p) {
  Registry& registry = *p.registry;
  std::wstring error;
  OpenWithCandidate candidate(registry);
  // Per user only, even for an administrator: the exe sits where its user may replace it,
  // and every other account would run it. The candidate keys first: they undo themselves
  // when they fail, and are undone when the verb then fails.
  bool ok = candidate.Write(p.App.ExeFile, &error);
  if (ok) {
    reg::Journal journal(registry);
    const std::wstring values[] = {L"判別", reg::kPlayer, reg::CommandValue(p.App.ExeFile),
                                   L"TVern"};
    for (std::size_t i = 0; ok && i < sizeof values / sizeof values[0]; ++i) {
      ok = journal.Set(KeyRoot::kUserClasses, kVerbValues[i].key, kVerbValues[i].name, values[i],
                       &error);
    }
    if (!ok) {
      journal.Undo(&error);
      candidate.Undo(&error);
    }
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
  constexpr KeyRoot kUser = KeyRoot::kUserClasses;
  // "Open" first, so the class never has a default verb that is gone; then the command
  // before the verb.
  std::wstring reason;
  const wchar_t* key = kShellKey;
  RegResult result = registry.SetValue(kUser, kShellKey, L"", L"Open", &reason);
  bool changed = result == RegResult::kOk;
  for (const wchar_t* next : {kCommandKey, kVerbKey}) {
    if (result != RegResult::kOk && result != RegResult::kNotFound) break;
    key = next;
    result = registry.DeleteKey(kUser, key, &reason);
  }
  bool ok = result == RegResult::kOk || result == RegResult::kNotFound;
  if (!ok) *error = reg::KeyName(kUser, key) + L"\r\n" + reason;
  std::wstring later_error;
  if (!RemoveMachineWideVerb(registry, &changed, &later_error) && ok) {
    *error = later_error;
    ok = false;
  }
  if (!OpenWithCandidate(registry).Remove(&changed, &later_error) && ok) {
    *error = later_error;
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
