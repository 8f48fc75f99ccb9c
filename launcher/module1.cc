#include "launcher/module1.h"

#include "launcher/arguments.h"
#include "launcher/dispatch.h"
#include "settings/ini.h"

namespace talvern {

const wchar_t kNoChoice[] = L"1";

bool CheckFileExists(Platform& p, const std::wstring& path) { return p.files->FileExists(path); }

std::wstring ChooseFile(Platform& p, void* owner, const std::wstring& filter,
                        const std::wstring& folder) {
  std::wstring error;
  std::wstring file_name =
      p.dialog->ShowOpen(owner, filter, folder, FileChoice::kExistingFile, &error);
  // A dialog that failed is no choice either, but the user hears why nothing opened.
  if (!error.empty()) {
    p.MsgBox(L"ファイルを選ぶ画面を開けませんでした。\r\n" + error, MsgIcon::kCritical);
  }
  return file_name;
}

std::wstring BrowseForExecutable(Platform& p, void* owner, const std::wstring& initial_folder) {
  const std::wstring file_name = ChooseFile(p, owner, L"実行ファイル|*.exe", initial_folder);
  return file_name.empty() ? std::wstring(kNoChoice) : file_name;
}

void Main(Module1& m, Platform& p, const std::wstring& argument_text) {
  m.SignatureText = SignatureAsText();
  m.SignatureBytes = SplitAtSpaces(m.SignatureText);
  const std::wstring file = ini::SettingsFile(p.App);
  const bool no_settings = !CheckFileExists(p, file);
  // Settings taken for none would be saved over from the window: an unreadable file ends
  // the run.
  ini::Settings stored;
  std::wstring reason;
  bool in_use = false;
  if (!ini::LoadSettings(p, &stored, &reason, &in_use)) {
    std::wstring prompt = L"設定ファイルを読み取れないため、何も開かずに終了します。\r\n";
    // A lock by another program (a sync client, a virus scanner) usually passes.
    if (in_use)
      prompt += L"ほかのプログラムが使用中です。しばらくしてから、もう一度開いてください。\r\n";
    p.MsgBox(prompt + L"設定ファイル: " + file + L"\r\n理由: " + reason, MsgIcon::kCritical);
    return;
  }
  m.WordPath = stored.word;
  m.TextPath = stored.text;
  m.WordFormats = stored.word_formats;

  const bool no_arguments = argument_text.empty();
  if (no_arguments || no_settings) {
    p.window->ShowModal();
    return;
  }

  // Read before this run hands anything on itself.
  m.HandedOn = p.environment->Get(kHandedOnVariable);
  m.Args = SplitAtSpaces(argument_text);
  for (std::size_t i = 0; i != m.Args.size(); ++i) {
    const std::wstring document = NextDocument(m.Args, &i);
    // An empty document ("" or a lone quote) names no file: nothing to open or report.
    if (document.empty()) continue;
    if (HandOff(m, p, document) == HandOffResult::kSettingsShown) return;
  }
}

}  // namespace talvern
