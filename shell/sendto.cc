#include "shell/sendto.h"

#include "platform/paths.h"

namespace talvern {
namespace {

void ShowFailure(Platform& p, const std::wstring& reason) {
  std::wstring prompt = L"正常に処理できませんでした";
  if (!reason.empty()) prompt += L"\r\n" + reason;
  p.MsgBox(prompt, MsgIcon::kCritical);
}

}  // namespace

const wchar_t kSendToLinkName[] = L"TVern.lnk";

void CreateSendToShortcut(Platform& p) {
  std::wstring folder;
  std::wstring error;
  // Without the folder there is nowhere sensible to put the link: never the drive root.
  if (!p.shell->SendToFolder(&folder, &error) || folder.empty()) {
    ShowFailure(p, error);
    return;
  }
  // The running executable itself, so a renamed copy still gets a working link.
  const std::wstring link_file = AddPathSeparator(folder) + kSendToLinkName;
  if (!p.shell->WriteShortcut(link_file, p.App.ExeFile, &error)) {
    ShowFailure(p, error);
    return;
  }
  p.MsgBox(L"送るにショートカットを作成しました", MsgIcon::kInformation);
}

}  // namespace talvern
