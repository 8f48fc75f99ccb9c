#include "shell/verb.h"

#include <cstdint>
#include <cwctype>
#include <string>

#include "platform/paths.h"
#include "shell/open_with_candidate.h"
#include "shell/reg.h"

namespace talvern {
namespace {

const wchar_t kShellKey[] = L"Word.Document.8\\shell";
const wchar_t kVerbKey[] = L"Word.Document.8\\shell\\TVern";

std::wstring ExePath(const AppFacts& app) {
  return AddPathSeparator(app.Path) + app.EXEName + L".exe";
}

const wchar_t kWindowsAsks[] =
    L"次に .doc ファイルをダブルクリックすると、使うプログラムを Windows が尋ねます。"
    L"そこに表示される Talvern を選んでください。";

// The steps in "Open with", in the words of the running Windows. An unknown build (0:
// RtlGetVersion did not answer) gets Windows 10's words: their route is that of Windows 8
// to 11, and only the last control differs on 11.
std::wstring OpenWithSteps(unsigned long windows_build) {
  std::wstring steps = L"Talvern で開くには、.doc ファイルを右クリックして「プログラムから開く」→";
  if (windows_build != 0 && windows_build < 9200) {  // Windows 7
    return steps +
           L"「既定のプログラムの選択...」で Talvern を選び、「この種類のファイルを開くときは、"
           L"選択したプログラムをいつも使う」をオンにして「OK」を押してください。";
  }
  steps += L"「別のプログラムを選択」で Talvern を選び、";
  const wchar_t kCheckBox[] = L"「常にこのアプリを使って .doc ファイルを開く」をオンにして「OK」";
  // Windows 11 22H2 replaced the check box with buttons; earlier 11 builds still show the
  // check box, so both are named there.
  if (windows_build >= 22621) return steps + L"「常に」を押してください。";
  if (windows_build >= 22000) steps += L"「常に」を押すか、";
  return steps + kCheckBox + L"を押してください。";
}

// What to do on the default-apps page, in the words of the running Windows: 11 (build
// 22000 on) opens Talvern's own page, 10 the general one. The label of 11's confirming
// button is not quoted: its Japanese wording differs between sources.
std::wstring DefaultAppsSteps(unsigned long windows_build) {
  if (windows_build >= 22000) {
    return L"Talvern で開くには、Windows の設定の「既定のアプリ」で Talvern のページの .doc を"
           L"クリックし、Talvern を選んで確定してください。";
  }
  return L"Talvern で開くには、Windows の設定の「既定のアプリ」で「ファイルの種類ごとに既定の"
         L"アプリを選ぶ」をクリックし、.doc の右のアプリをクリックして Talvern を選んでください。";
}

// A character's value, whatever the sign of wchar_t.
std::uint32_t CodeUnit(wchar_t c) {
  return static_cast<std::uint32_t>(std::char_traits<wchar_t>::to_int_type(c));
}

void AppendUtf8Escaped(std::uint32_t c, std::wstring* uri) {
  const wchar_t kHex[] = L"0123456789ABCDEF";
  auto escape = [&](std::uint32_t byte) {
    *uri += L'%';
    *uri += kHex[(byte >> 4) & 0xF];
    *uri += kHex[byte & 0xF];
  };
  if (c < 0x80) {
    escape(c);
  } else if (c < 0x800) {
    escape(0xC0 | c >> 6);
    escape(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    escape(0xE0 | c >> 12);
    escape(0x80 | (c >> 6 & 0x3F));
    escape(0x80 | (c & 0x3F));
  } else {
    escape(0xF0 | c >> 18);
    escape(0x80 | (c >> 12 & 0x3F));
    escape(0x80 | (c >> 6 & 0x3F));
    escape(0x80 | (c & 0x3F));
  }
}

}  // namespace

const wchar_t kCommandKey[] = L"Word.Document.8\\shell\\TVern\\command";

bool IsWindowsChooser(const std::wstring& executable) {
  // Windows 8 and later name it as the program of a type that has none.
  std::wstring name = executable.substr(executable.find_last_of(L"\\/") + 1);
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
  return name == L"openwith.exe";
}

std::wstring DefaultAppsUri(const std::wstring& name) {
  std::wstring uri = L"ms-settings:defaultapps?registeredAppUser=";
  for (std::size_t i = 0; i < name.size(); ++i) {
    std::uint32_t c = CodeUnit(name[i]);
    const bool unreserved = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
                            (c >= L'0' && c <= L'9') || c == L'-' || c == L'.' || c == L'_' ||
                            c == L'~';
    if (unreserved) {
      uri += name[i];
      continue;
    }
    // 16-bit wchar_t (Windows) holds characters beyond U+FFFF as surrogate pairs.
    const std::uint32_t next = i + 1 < name.size() ? CodeUnit(name[i + 1]) : 0;
    if (c >= 0xD800 && c < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
      ++i;
    }
    AppendUtf8Escaped(c, &uri);
  }
  return uri;
}

std::wstring VerbCommandLine(const AppFacts& app) {
  // Quoted, or "C:\Program Files\..." would let C:\Program.exe run; %1 stays bare because
  // the start-up joins the pieces of a path with spaces again.
  return L"\"" + ExePath(app) + L"\" %1";
}

void ReportDoubleClick(Platform& p) {
  const std::wstring done = L"関連付けを設定しました";
  std::wstring executable, name;
  bool found = p.associations->Query(L".doc", L"", &executable, &name) &&
               !IsWindowsChooser(executable) && !(executable.empty() && name.empty());
  if (found && !executable.empty() && p.files->SameFile(executable, p.App.ExeFile)) {
    p.MsgBox(done, MsgIcon::kInformation);
    return;
  }
  std::wstring prompt = done + L"\r\n";
  MsgIcon icon = MsgIcon::kInformation;
  if (found) {
    // A packaged app comes with a name and without an executable of its own.
    if (name.empty()) name = executable.substr(executable.find_last_of(L"\\/") + 1);
    if (!executable.empty()) name += L" (" + executable + L")";
    prompt += L"ただし、.doc ファイルをダブルクリックすると、今は " + name + L" が開きます。";
    icon = MsgIcon::kExclamation;
  } else {
    prompt += L".doc ファイルを開くプログラムはまだ決まっていません。";
  }
  // Without a Settings app (Windows 7 and 8, some Server editions) "Open with" is the way.
  if (!p.registry->KeyExists(KeyRoot::kClasses, L"ms-settings")) {
    p.MsgBox(prompt + (found ? L"\r\n" + OpenWithSteps(p.App.WindowsBuild) : kWindowsAsks), icon);
    return;
  }
  prompt += L"\r\n" + DefaultAppsSteps(p.App.WindowsBuild) +
            L"\r\n「既定のアプリ」の設定を今すぐ開きますか?";
  if (!p.Ask(prompt, icon)) return;
  std::wstring error;
  if (!p.shell->OpenUri(DefaultAppsUri(kRegisteredAppName), &error)) {
    p.MsgBox(L"「既定のアプリ」の設定を開けませんでした。\r\n" + error + L"\r\n" +
                 OpenWithSteps(p.App.WindowsBuild),
             MsgIcon::kCritical);
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
    reg::Journal journal(registry);
    ok = reg::SetClassesRootDefault(registry, kVerbKey, L"判別", &error, &journal) &&
         reg::SetClassesRootDefault(registry, kCommandKey, VerbCommandLine(p.App), &error,
                                    &journal) &&
         reg::SetClassesRootDefault(registry, kShellKey, L"TVern", &error, &journal);
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
