#include "launcher/module1.h"

#include <memory>

#include "launcher/arguments.h"
#include "launcher/dispatch.h"
#include "settings/ini.h"

namespace talvern {

const wchar_t kNoChoice[] = L"1";

bool CheckFileExists(Platform& p, const std::wstring& path) { return p.files->FileExists(path); }

std::wstring BrowseForExecutable(Platform& p, void* owner, const std::wstring& initial_folder) {
  std::wstring error;
  std::wstring file_name = p.dialog->ShowOpen(owner, L"実行ファイル|*.exe", initial_folder,
                                              FileChoice::kExistingFile, &error);
  // A dialog that failed is no choice either, but the user hears why nothing opened.
  if (!error.empty()) {
    p.MsgBox(L"ファイルを選ぶ画面を開けませんでした。\r\n" + error, MsgIcon::kCritical);
  }
  return file_name.empty() ? std::wstring(kNoChoice) : file_name;
}

namespace {

/// Opens the settings file `file` for reading and keeps it open in `hold`, shared: the
/// profile functions read a file they cannot open as empty, and settings taken for none
/// would be saved over from the window. False, after telling the user, when it cannot be.
bool HoldSettings(Platform& p, const std::wstring& file, std::shared_ptr<void>* hold) {
  std::wstring reason;
  bool in_use = false;
  if (p.profile->HoldForReading(file, hold, &reason, &in_use)) return true;
  std::wstring prompt = L"設定ファイルを読み取れないため、何も開かずに終了します。\r\n";
  // A lock by another program (a sync client, a virus scanner) usually passes.
  if (in_use)
    prompt += L"ほかのプログラムが使用中です。しばらくしてから、もう一度開いてください。\r\n";
  p.MsgBox(prompt + L"設定ファイル: " + file + L"\r\n理由: " + reason, MsgIcon::kCritical);
  return false;
}

}  // namespace

void Main(Module1& m, Platform& p, const std::wstring& argument_text) {
  m.SignatureText = SignatureAsText();
  m.SignatureBytes = SplitAtSpaces(m.SignatureText);
  const std::wstring file = ini::SettingsFile(p.App);
  const bool no_settings = !CheckFileExists(p, file);
  std::shared_ptr<void> hold;
  if (!no_settings && !HoldSettings(p, file, &hold)) return;
  m.WordPath = ini::ReadSetting(p, L"EXE", L"WORD");
  m.TextPath = ini::ReadSetting(p, L"EXE", L"TEXT");
  m.WordFormats = ini::ReadSetting(p, L"OPTION", L"WORDFORMATS") == L"1";
  hold.reset();

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
