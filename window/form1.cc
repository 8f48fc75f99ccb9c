#include "window/form1.h"

#include <algorithm>

#include "launcher/dispatch.h"
#include "launcher/explain.h"
#include "platform/paths.h"
#include "settings/ini.h"
#include "shell/registrations.h"
#include "shell/sendto.h"
#include "shell/verb.h"
#include "window/word_location.h"

namespace talvern {

namespace {

const wchar_t kWordProgId[] = L"Word.Application";
const wchar_t kDefaultWordPath[] = L"C:\\Program Files\\Microsoft Office\\Office\\WINWORD.EXE";

// How the messages name one program setting.
struct SettingNames {
  const wchar_t* key;
  const wchar_t* invalid;  ///< the report of the flag that dispatch set.
  const wchar_t* box;
  const wchar_t* program;  ///< what the box must name, in a sentence.
};
const SettingNames kWordNames = {ini::kWordKey, L"WORDの設定が不正です", L"Wordの場所",
                                 L"Wordの場所には Word の実行ファイルを指定してください。"};
const SettingNames kTextNames = {
    ini::kTextKey, L"TEXTの設定が不正です", L"Textの場所",
    L"Textの場所にはテキスト エディターの実行ファイルを指定してください。"};

// What is wrong with `path` and what to do, in two lines; empty for a missing program,
// which needs no more words.
std::wstring FaultText(ProgramFault fault, const SettingNames& names, const std::wstring& path) {
  if (fault == ProgramFault::kTalvern || fault == ProgramFault::kLeadsBack) {
    return path +
           (fault == ProgramFault::kTalvern ? L" は Talvern 自身です。\r\n"
                                            : L" は同じ文書で Talvern を起動します。\r\n") +
           names.program;
  }
  if (fault != ProgramFault::kNotFullPath) return std::wstring();
  return path + L" はフル パスではありません。\r\n" + names.box +
         L"には、C:\\ や \\\\サーバー名\\ から始まるフル パスを指定してください。";
}

// A path that no run would start, whatever happens to the disk until then.
bool NeverStarted(ProgramFault fault) {
  return fault == ProgramFault::kNotFullPath || fault == ProgramFault::kTalvern ||
         fault == ProgramFault::kLeadsBack;
}

// Reports the invalid flag that dispatch set, with why when it is more than a missing file.
void ReportInvalid(Platform& p, ProgramFault fault, const SettingNames& names,
                   const std::wstring& path) {
  const std::wstring why = FaultText(fault, names, path);
  p.MsgBox(names.invalid + (why.empty() ? why : L"\r\n" + why), MsgIcon::kCritical);
}

// What no run would start in a box's `path`, as the settings file will give it back
// (ini::AsRead); kNone for an empty box, which is detected when the window opens next.
ProgramFault Unstartable(Platform& p, const std::wstring& path) {
  const ProgramFault fault = path.empty() ? ProgramFault::kNone : CheckProgram(p, path);
  return NeverStarted(fault) ? fault : ProgramFault::kNone;
}

// True, after telling the user, when the box's text `typed` must not be saved.
bool RefuseToSave(Platform& p, const SettingNames& names, const std::wstring& typed) {
  const std::wstring path = ini::AsRead(typed);
  const ProgramFault fault = Unstartable(p, path);
  if (fault == ProgramFault::kNone) return false;
  p.MsgBox(names.key + std::wstring(L"の設定を保存できませんでした。\r\n") +
               FaultText(fault, names, path),
           MsgIcon::kCritical);
  return true;
}

}  // namespace

void Form1::Form_Load() {
  SaveOnClose = false;
  // Both checks run first, also when the flag alone would decide: the reports say why.
  ProgramFault word = CheckProgram(p_, m_.WordPath);
  ProgramFault text = CheckProgram(p_, m_.TextPath);
  // As far as dispatch could tell, a program that led back is Talvern.
  if (m_.LeadsBack) (m_.WordPathInvalid ? word : text) = ProgramFault::kLeadsBack;
  if (m_.WordPathInvalid) ReportInvalid(p_, word, kWordNames, m_.WordPath);
  if (m_.TextPathInvalid) ReportInvalid(p_, text, kTextNames, m_.TextPath);
  // A setting Talvern never starts is detected afresh, as a missing one is.
  if (NeverStarted(word)) m_.WordPath.clear();
  if (word != ProgramFault::kNone || m_.WordPathInvalid) DetectWordPath();
  if (text != ProgramFault::kNone || m_.TextPathInvalid) FallBackToNotepad();

  view_.SetText1(m_.WordPath);
  view_.SetText2(m_.TextPath);
  view_.SetWordFormatsChecked(m_.WordFormats);
  view_.SetCaption(p_.App.ProductName);
  // After the checks' own messages: a moved Talvern is the likelier story once they are told.
  FollowMovedExecutable(p_);
}

void Form1::DetectWordPath() {
  // Finding the word processor may fail in many ways; every one of them just leaves
  // WordPath as it was, and only an empty path is worth a message.
  WordProgId = kWordProgId;
  std::wstring folder;
  if (FindWordFolder(p_, WordProgId, &folder)) {
    m_.WordPath = AddPathSeparator(folder) + kWordProgramName;
  }
  if (!m_.WordPath.empty()) return;
  // Without Word, compound documents are best opened by what Windows already opens them with;
  // Windows' chooser is no such program (picking Talvern there would only bring it back).
  std::wstring program, name;
  if (p_.associations->Query(L".doc", L"open", &program, &name) &&
      CheckProgram(p_, program) == ProgramFault::kNone && !IsWindowsChooser(program) &&
      !p_.files->SameFile(program, TextEditor())) {
    if (name.empty()) name = FileName(program);
    p_.MsgBox(
        L"Winword.exeが見つかりませんでした\r\n"
        L"Wordの場所には、.doc ファイルを開くプログラム " +
            name + L" (" + program + L") を入れました。",
        MsgIcon::kExclamation);
    m_.WordPath = program;
    return;
  }
  p_.MsgBox(L"Winword.exeが見つかりませんでした", MsgIcon::kExclamation);
  m_.WordPath = kDefaultWordPath;
}

std::wstring Form1::NotepadPath() {
  // WINDIR is anyone's to set: only a full path says where the Windows folder is.
  std::wstring folder = p_.environment->Get(L"WINDIR");
  if (!IsFullPath(folder)) folder = p_.environment->WindowsFolder();
  return AddPathSeparator(folder) + L"notepad.exe";
}

std::wstring Form1::TextEditor() {
  return CheckFileExists(p_, m_.TextPath) && !m_.TextPathInvalid ? m_.TextPath : NotepadPath();
}

void Form1::FallBackToNotepad() {
  m_.TextPath = NotepadPath();
  if (!p_.files->ProbePlainFile(m_.TextPath)) {
    p_.MsgBox(L"メモ帳が見つかりませんでした", MsgIcon::kExclamation);
  }
}

bool Form1::Browse(bool word, std::wstring* chosen) {
  *chosen = BrowseForExecutable(p_, view_.Handle(), L"");
  if (*chosen == kNoChoice) return false;
  const std::wstring path = ini::AsRead(*chosen);
  const ProgramFault fault = Unstartable(p_, path);
  if (fault == ProgramFault::kNone) return true;
  p_.MsgBox(FaultText(fault, word ? kWordNames : kTextNames, path), MsgIcon::kExclamation);
  return false;
}

void Form1::cmdWord_Click() {
  std::wstring result;
  if (Browse(true, &result)) view_.SetText1(result);
}

void Form1::cmdText_Click() {
  std::wstring result;
  if (Browse(false, &result)) view_.SetText2(result);
}

void Form1::Command1_Click() {
  SaveOnClose = false;
  view_.Unload();
}

void Form1::Command2_Click() {
  view_.SetText1(L"");
  view_.SetText2(L"");
}

void Form1::Command3_Click() {
  SaveOnClose = true;
  view_.Unload();
}

void Form1::Command4_Click() { CreateSendToShortcut(p_); }

void Form1::Command5_Click() { SetAssociation(p_); }

void Form1::Command6_Click() { RemoveAssociation(p_); }

void Form1::mnuWordFormats_Click() { view_.SetWordFormatsChecked(!view_.WordFormatsChecked()); }

void Form1::mnuRemoveAll_Click() { RemoveAllRegistrations(p_); }

void Form1::mnuAbout_Click() {
  p_.MsgBox(
      p_.App.ProductName + L"\r\nバージョン " + p_.App.Version + L"\r\n" + p_.App.LegalCopyright,
      MsgIcon::kInformation);
}

void Form1::mnuTryDocument_Click() {
  std::wstring folder = tried_folder_, error;
  if (folder.empty() && !p_.shell->DocumentsFolder(&folder, &error)) folder.clear();
  const std::wstring chosen = ChooseFile(p_, view_.Handle(), L"すべてのファイル (*.*)|*.*", folder);
  if (!chosen.empty()) TryDocuments({chosen});
}

void Form1::Form_DropFiles(const std::vector<std::wstring>& files) {
  if (!files.empty()) TryDocuments(files);
}

void Form1::TryDocuments(const std::vector<std::wstring>& files) {
  // What the window shows now, saved or not: that is what the user is weighing.
  const TrialSettings settings{view_.Text1(), view_.Text2(), view_.WordFormatsChecked()};
  p_.MsgBox(ExplainDocuments(m_, p_, files, settings), MsgIcon::kInformation);
  const std::wstring& last = files[std::min(files.size(), kMaxExplained) - 1];
  tried_folder_ = FolderOf(last);
}

void Form1::Form_QueryUnload(int* cancel, int /*unload_mode*/) {
  if (!SaveOnClose) return;
  // Settings that cannot be saved keep the window open so that nothing typed is lost;
  // the close box still discards, as every way of closing but save-and-close does.
  if (!SaveSettings()) {
    SaveOnClose = false;
    *cancel = 1;
  }
}

bool Form1::SaveSettings() {
  const ini::Settings settings{view_.Text1(), view_.Text2(), view_.WordFormatsChecked()};
  // A path no run would start is never saved.
  if (RefuseToSave(p_, kWordNames, settings.word) || RefuseToSave(p_, kTextNames, settings.text)) {
    return false;
  }
  ini::SaveFailure failure;
  if (ini::SaveSettings(p_, settings, &failure)) return true;
  std::wstring prompt = failure.key + L"の設定を保存できませんでした。\r\n";
  if (failure.unread) {
    prompt =
        L"設定ファイルを読み取れないため、設定を保存しませんでした。何も書き込んでいません。\r\n";
    // A lock by another program (a virus scanner, a sync client) is usually brief; any
    // other reason does not pass by waiting, and the reason line says what it is.
    if (failure.in_use) prompt += L"しばらくしてから、もう一度保存してください。\r\n";
  }
  prompt += L"保存先: " + ini::SettingsFile(p_.App);
  if (!failure.reason.empty()) prompt += L"\r\n理由: " + failure.reason;
  for (const std::wstring& key : failure.restored) {
    prompt += L"\r\n" + key + L"の設定は保存前の値に戻しました。";
  }
  for (const std::wstring& key_and_reason : failure.unrestored) {
    prompt += L"\r\n元に戻せなかった設定: " + key_and_reason;
  }
  p_.MsgBox(prompt, MsgIcon::kCritical);
  return false;
}

}  // namespace talvern
