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

const wchar_t kClassKey[] = L"Word.Document.8";
const wchar_t kShellKey[] = L"Word.Document.8\\shell";
const wchar_t kVerbKey[] = L"Word.Document.8\\shell\\TVern";

const wchar_t kWindowsAsks[] =
    L"次に .doc ファイルをダブルクリックすると、使うプログラムを Windows が尋ねます。"
    L"そこに表示される Talvern を選んでください。";

// The steps in "Open with", in the words of the running Windows. An unknown build gets
// Windows 10's: the route of Windows 8 to 11, where only 11's last control differs.
std::wstring OpenWithSteps(unsigned long windows_build) {
  std::wstring steps = L"Talvern で開くには、.doc ファイルを右クリックして「プログラムから開く」→";
  if (windows_build != 0 && windows_build < 9200) {  // Windows 7
    steps +=
        L"「既定のプログラムの選択...」で Talvern を選び、「この種類のファイルを開くときは、"
        L"選択したプログラムをいつも使う」をオンにして「OK」";
  } else {
    steps += L"「別のプログラムを選択」で Talvern を選び、";
    // Windows 11 22H2 replaced the check box with buttons; earlier 11 builds still show
    // the check box, so both are named there.
    if (windows_build >= 22000) steps += L"「常に」";
    if (windows_build >= 22000 && windows_build < 22621) steps += L"を押すか、";
    if (windows_build < 22621)
      steps += L"「常にこのアプリを使って .doc ファイルを開く」をオンにして「OK」";
  }
  return steps + L"を押してください。";
}

// What to do on the default-apps page, in the words of the running Windows: 11 (build
// 22000 on) opens Talvern's own page, 10 the general one. The label of 11's confirming
// button is not quoted: its Japanese wording differs between sources.
std::wstring DefaultAppsSteps(unsigned long windows_build) {
  const std::wstring steps = L"Talvern で開くには、Windows の設定の「既定のアプリ」で";
  if (windows_build >= 22000) {
    return steps + L" Talvern のページの .doc をクリックし、Talvern を選んで確定してください。";
  }
  return steps +
         L"「ファイルの種類ごとに既定のアプリを選ぶ」をクリックし、.doc の右のアプリを"
         L"クリックして Talvern を選んでください。";
}

using reg::Data;
using reg::Owner;
constexpr KeyRoot kUser = KeyRoot::kUserClasses;
// The verb, then the default verb, once the verb and its command exist.
constexpr reg::Row kVerbRows[] = {
    {kVerbKey, L"", L"判別", Data::kText, Owner::kTalvern, kUser},
    {kVerbKey, reg::kSelectionModel, reg::kPlayer, Data::kText, Owner::kTalvern, kUser},
    {kCommandKey, L"", nullptr, Data::kCommand, Owner::kTalvern, kUser},
    {kShellKey, L"", L"TVern", Data::kText, Owner::kShared, kUser},
    {kClassKey, nullptr, nullptr, Data::kText, Owner::kShared, kUser},
};

/// The verb an earlier version wrote for the whole machine: the default verb back to
/// "Open" (as those versions had it) while it is "TVern", then, when the verb's own key is
/// there (a removal that stopped after the command still finishes), the command and the verb. Notes in `done` what changed; false with
/// `error` (the key, then the reason) at the first refusal.
bool UnregisterMachineWide(Registry& registry, Unregistered* done, std::wstring* error) {
  constexpr KeyRoot kMachine = KeyRoot::kMachineClasses;
  std::wstring reason, shell;
  RegResult result = RegResult::kNotFound;
  if (reg::DefaultText(registry, kMachine, kShellKey, &shell) && shell == L"TVern") {
    result = registry.Set(kMachine, kShellKey, L"", RawValue::Text(L"Open"), &reason);
    done->default_verb = done->default_verb || result == RegResult::kOk;
  }
  bool changed = result == RegResult::kOk;
  const wchar_t* key = kShellKey;
  const bool verb = MachineWideVerbExists(registry);
  for (const wchar_t* next : {kCommandKey, kVerbKey}) {
    if (!verb || (result != RegResult::kOk && result != RegResult::kNotFound)) break;
    key = next;
    result = registry.DeleteKey(kMachine, key, &reason);
    changed = changed || result == RegResult::kOk;
  }
  done->any = done->any || changed;
  if (result == RegResult::kOk || result == RegResult::kNotFound) return true;
  *error = reg::KeyName(kMachine, key) + L"\r\n" + reason;
  return false;
}

}  // namespace

const reg::Table kVerb(kVerbRows);

bool MachineWideVerbExists(Registry& registry) {
  return registry.KeyExists(KeyRoot::kMachineClasses, kVerbKey);
}

std::wstring MachineWideVerb(Registry& registry) {
  std::wstring command;
  if (!reg::DefaultText(registry, KeyRoot::kMachineClasses, kCommandKey, &command)) return L"";
  return reg::NamedExecutable(command);
}

bool IsWindowsChooser(const std::wstring& executable) {
  // Windows 8 and later name it as the program of a type that has none.
  return SamePathText(FileName(executable), L"OpenWith.exe");
}

Outcome ReportDoubleClick(Platform& p) {
  const std::wstring done = L"関連付けを設定しました";
  std::wstring executable, name;
  bool found = p.associations->Query(L".doc", L"", &executable, &name) &&
               !IsWindowsChooser(executable) && !(executable.empty() && name.empty());
  if (found && !executable.empty() && IsTalvern(p, executable)) {
    p.MsgBox(done, MsgIcon::kInformation);
    return Outcome::kDone;
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
    p.MsgBox(prompt + (found ? L"\r\n" + OpenWithSteps(p.App.WindowsBuild) : kWindowsAsks), icon);
    return Outcome::kUserChooses;
  }
  // Settings opens only when the user says so (a script's run answers No): the choice
  // there is the user's own.
  prompt += L"\r\n" + DefaultAppsSteps(p.App.WindowsBuild) +
            L"\r\n「既定のアプリ」の設定を今すぐ開きますか?";
  if (!p.Ask(prompt, icon)) return Outcome::kUserChooses;
  std::wstring error;
  if (!p.shell->OpenUri(kDefaultAppsUri, &error)) {
    p.MsgBox(L"「既定のアプリ」の設定を開けませんでした。\r\n" + error + L"\r\n" +
                 OpenWithSteps(p.App.WindowsBuild),
             MsgIcon::kCritical);
  }
  return Outcome::kUserChooses;
}

Outcome SetAssociation(Platform& p) {
  std::wstring error;
  reg::Journal journal(*p.registry);
  // Per user only, even for an administrator: the exe sits where its user may replace it,
  // and every other account would run it. All or nothing.
  if (!reg::Install(journal, {kCandidate, kRegisteredApp, kVerb}, p.App.ExeFile, &error)) {
    journal.Undo(&error);
    p.MsgBox(L"関連付けを設定できませんでした。\r\n" + error, MsgIcon::kCritical);
    return Outcome::kFailed;
  }
  p.associations->NotifyChanged();
  return ReportDoubleClick(p);
}

bool UnregisterVerbAndCandidate(Platform& p, Unregistered* done, std::wstring* error) {
  reg::Removal removal;
  bool ok = reg::Remove(*p.registry, {kVerb, kCandidate, kRegisteredApp}, &removal, error);
  done->any = removal.any;
  done->default_verb = removal.given_back;
  // A default verb that is not Talvern's stays, and the message names it.
  if (removal.any && !removal.given_back) done->other_default = removal.other;
  std::wstring machine_error;
  if (!UnregisterMachineWide(*p.registry, done, &machine_error) && ok) {
    *error = machine_error + L"\r\n" + kMachineWideAdvice;
    ok = false;
  }
  if (done->any) p.associations->NotifyChanged();
  return ok;
}

void RemoveAssociation(Platform& p) {
  std::wstring error;
  Unregistered done;
  if (!UnregisterVerbAndCandidate(p, &done, &error)) {
    p.MsgBox(L"関連付けを解除できませんでした。\r\n" + error, MsgIcon::kCritical);
    return;
  }
  std::wstring prompt =
      done.any ? L"関連付けを解除しました" : L"解除する関連付けはありませんでした。";
  if (done.default_verb) prompt += L"\r\n関連付けを標準に戻しました";
  if (!done.other_default.empty()) prompt += L"\r\n" + DefaultVerbStays(done.other_default);
  p.MsgBox(prompt, MsgIcon::kInformation);
}

std::wstring DefaultVerbStays(const std::wstring& verb) {
  return L"Word 文書の既定の操作は「" + verb + L"」のままです。";
}

}  // namespace talvern
