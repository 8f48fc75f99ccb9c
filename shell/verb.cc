#include "shell/verb.h"

#include "platform/paths.h"
#include "shell/reg.h"

namespace talvern {
namespace {

const wchar_t kShellKey[] = L"Word.Document.8\\shell";
const wchar_t kVerbKey[] = L"Word.Document.8\\shell\\TVern";
const wchar_t kCommandKey[] = L"Word.Document.8\\shell\\TVern\\command";

}  // namespace

std::wstring VerbCommandLine(const AppFacts& app) {
  // Quoted, or "C:\Program Files\..." would let C:\Program.exe run; %1 stays bare because
  // the start-up joins the pieces of a path with spaces again.
  return L"\"" + AddPathSeparator(app.Path) + app.EXEName + L".exe\" %1";
}

void SetAssociation(Platform& p) {
  Registry& registry = *p.registry;
  std::wstring error;
  // The verb and its command exist before the verb becomes the default.
  const bool ok =
      reg::SetClassesRootDefault(registry, kVerbKey, L"判別", &error) &&
      reg::SetClassesRootDefault(registry, kCommandKey, VerbCommandLine(p.App), &error) &&
      reg::SetClassesRootDefault(registry, kShellKey, L"TVern", &error);
  if (!ok) {
    p.MsgBox(L"関連付けを設定できませんでした。\r\n" + error, MsgIcon::kCritical);
    return;
  }
  p.MsgBox(L"関連付けを設定しました", MsgIcon::kInformation);
}

void RemoveAssociation(Platform& p) {
  Registry& registry = *p.registry;
  std::wstring error;
  // "Open" first, so the class never has a default verb that is gone. The command goes
  // before the verb: the NT family will not delete a key that still has subkeys.
  bool ok = reg::SetClassesRootDefault(registry, kShellKey, L"Open", &error);
  if (ok) {
    ok = reg::DeleteClassesRootKey(registry, kCommandKey, &error);
    std::wstring verb_error;
    if (!reg::DeleteClassesRootKey(registry, kVerbKey, &verb_error) && ok) {
      error = verb_error;
      ok = false;
    }
  }
  if (!ok) {
    p.MsgBox(L"関連付けを解除できませんでした。\r\n" + error, MsgIcon::kCritical);
    return;
  }
  p.MsgBox(L"関連付けを解除しました\r\n関連付けを標準に戻しました", MsgIcon::kInformation);
}

}  // namespace talvern
