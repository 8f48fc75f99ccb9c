#include "shell/sendto.h"

#include "platform/paths.h"

namespace talvern {

std::wstring SendToLinkFile(Platform& p, std::wstring* error) {
  std::wstring folder;
  // Without the folder there is nowhere sensible for the link: never the drive root.
  if (!p.shell->SendToFolder(&folder, error) || folder.empty()) return L"";
  return AddPathSeparator(folder) + L"TVern.lnk";
}

Outcome CreateSendToShortcut(Platform& p) {
  std::wstring error;
  const std::wstring link_file = SendToLinkFile(p, &error);
  // The running executable itself, so a renamed copy still gets a working link.
  if (!link_file.empty() && p.shell->WriteShortcut(link_file, p.App.ExeFile, &error)) {
    p.MsgBox(L"送るにショートカットを作成しました", MsgIcon::kInformation);
    return Outcome::kDone;
  }
  std::wstring prompt = L"正常に処理できませんでした";
  if (!error.empty()) prompt += L"\r\n" + error;
  p.MsgBox(prompt, MsgIcon::kCritical);
  return Outcome::kFailed;
}

}  // namespace talvern
