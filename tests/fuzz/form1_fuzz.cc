// Command sequences of the settings window's logic over the fake view: what it shows when
// it opens, what each button leaves in the boxes, and that the settings file changes only
// through a save that closes the window, all or nothing.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "settings/ini.h"
#include "tests/fakes/fake_platform.h"
#include "tests/fuzz/fuzz_support.h"
#include "window/fake_view.h"
#include "window/form1.h"

namespace talvern {
namespace {

const wchar_t kWord[] = L"C:\\Office\\WINWORD.EXE";
const wchar_t kNotepad[] = L"C:\\WINDOWS\\notepad.exe";
// Typed or chosen paths; 한 and 〜 are missing from the settings file's code page.
const std::wstring kTypedAlphabet = L"C:\\ab.exe 表한〜\"";
const wchar_t* const kConfigured[] = {L"", kWord, kNotepad, L"D:\\gone\\x.exe"};

enum Command {
  kBrowseWord,
  kBrowseText,
  kCancel,
  kRestore,
  kSave,
  kCloseBox,
  kTypeWord,
  kTypeText,
  kSendTo,
  kSetVerb,
  kRemoveVerb,
  kCommandCount
};

struct Window {
  Module1 m;
  FakePlatform fake;
  FakeView view;
  Form1 form{m, fake.platform, view};
};

void SetUp(FuzzedDataProvider& in, Window& w) {
  FakePlatform& fake = w.fake;
  w.view.form = &w.form;
  w.view.handle = &w.view;
  fake.files.files[kWord] = "MZ";
  if (in.ConsumeBool()) fake.files.files[kNotepad] = "MZ";
  if (in.ConsumeBool()) fake.environment.variables[L"WINDIR"] = L"C:\\WINDOWS";
  fake.word.installed = in.ConsumeBool();
  fake.word.folder = L"C:\\Office";
  w.m.WordPath = fuzz::Pick(in, kConfigured);
  w.m.TextPath = fuzz::Pick(in, kConfigured);
  w.m.WordPathInvalid = in.ConsumeBool();
  w.m.TextPathInvalid = in.ConsumeBool();
  if (in.ConsumeBool())
    fake.WriteSettings(fuzz::Pick(in, kConfigured), fuzz::Pick(in, kConfigured));
  fake.profile.unstorable = L"한〜";
  switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
      fake.profile.fail_reason = L"WritePrivateProfileStringW: Access is denied.";
      break;
    case 1:
      fake.profile.key_failures[in.ConsumeBool() ? L"WORD" : L"TEXT"] = L"Sharing violation.";
      break;
    case 2:
      fake.profile.writes_allowed = in.ConsumeIntegralInRange<int>(0, 3);
      break;
    default:
      break;
  }
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0) fake.dialog.failure = L"CDERR_INITIALIZATION";
  fake.shell.send_to = L"C:\\SendTo";
}

/// What opening the window must do, from the state before it.
void CheckLoad(Window& w, const std::wstring& windir) {
  const Module1 before = w.m;
  const auto stored = w.fake.profile.values;
  w.form.Form_Load();
  const bool word_exists = w.fake.files.files.count(before.WordPath) != 0;
  const bool text_exists = w.fake.files.files.count(before.TextPath) != 0;
  const bool detect = !word_exists || before.WordPathInvalid;
  const bool fall_back = !text_exists || before.TextPathInvalid;
  const std::wstring state = before.WordPath + L" | " + before.TextPath;
  FUZZ_CHECK(!w.form.SaveOnClose && !w.view.closed, state);
  FUZZ_CHECK(w.fake.word.created.empty() == !detect, state);
  if (!detect) FUZZ_CHECK(w.m.WordPath == before.WordPath, state);
  FUZZ_CHECK(!w.m.WordPath.empty(), state);
  FUZZ_CHECK(
      w.m.TextPath == (fall_back ? AddPathSeparator(windir) + L"notepad.exe" : before.TextPath),
      state);
  FUZZ_CHECK(w.view.text1 == w.m.WordPath && w.view.text2 == w.m.TextPath, state);
  FUZZ_CHECK(w.view.caption == L"TALVERN Ver1.20", state);
  std::size_t reports = 0;
  for (const ShownMessage& shown : w.fake.messages.shown) {
    reports += shown.icon == MsgIcon::kCritical;
  }
  FUZZ_CHECK(reports == std::size_t{before.WordPathInvalid} + before.TextPathInvalid, state);
  FUZZ_CHECK(w.fake.messages.shown.size() <= 4, state);
  FUZZ_CHECK(w.fake.profile.values == stored, state);  // opening never writes
}

/// A save that did not close the window: one message naming the key, and the file as it
/// was except for keys the message says could not be put back.
void CheckFailedSave(Window& w, const std::map<FakeProfile::Key, std::wstring>& stored,
                     const std::wstring& typed) {
  FUZZ_CHECK(!w.form.SaveOnClose, typed);
  const std::wstring& prompt = w.fake.messages.shown.back().prompt;
  FUZZ_CHECK(prompt.find(L"の設定を保存できませんでした") != std::wstring::npos, prompt);
  const std::wstring file = ini::SettingsFile(w.fake.platform.App);
  for (const wchar_t* key : {L"WORD", L"TEXT"}) {
    const auto name = FakeProfile::MakeKey(file, L"EXE", key);
    const auto now = w.fake.profile.values.find(name);
    const auto then = stored.find(name);
    const bool same = (now == w.fake.profile.values.end()) == (then == stored.end()) &&
                      (then == stored.end() || now->second == then->second);
    const bool said =
        prompt.find(L"元に戻せなかった設定: " + std::wstring(key)) != std::wstring::npos;
    FUZZ_CHECK(same || said, prompt + L"\n" + typed);
  }
}

void RunCommand(Window& w, Command command, FuzzedDataProvider& in) {
  FakePlatform& fake = w.fake;
  FakeView& view = w.view;
  const auto stored = fake.profile.values;
  const std::size_t messages = fake.messages.shown.size();
  const std::wstring text1 = view.text1, text2 = view.text2;
  const std::wstring typed = text1 + L" | " + text2;
  bool may_write = false;
  switch (command) {
    case kBrowseWord:
    case kBrowseText: {
      const std::wstring answer =
          in.ConsumeBool() ? fuzz::ConsumeText(in, kTypedAlphabet, 10) : L"";
      fake.dialog.answers = {answer};
      command == kBrowseWord ? w.form.cmdWord_Click() : w.form.cmdText_Click();
      FUZZ_CHECK(fake.dialog.calls.back().owner == view.handle, typed);
      const bool chosen = fake.dialog.failure.empty() && !answer.empty();
      const std::wstring& changed = command == kBrowseWord ? view.text1 : view.text2;
      const std::wstring& kept = command == kBrowseWord ? view.text2 : view.text1;
      // A choice no run would start is refused with one message, and the box keeps its text.
      const bool refused = chosen && fake.messages.shown.size() == messages + 1;
      const std::wstring& before = command == kBrowseWord ? text1 : text2;
      FUZZ_CHECK(changed == (chosen && !refused ? answer : before), typed);
      FUZZ_CHECK(kept == (command == kBrowseWord ? text2 : text1), typed);
      FUZZ_CHECK(fake.messages.shown.size() == messages + !fake.dialog.failure.empty() + refused,
                 typed);
      break;
    }
    case kCancel:
    case kCloseBox:
      command == kCancel ? w.form.Command1_Click() : view.CloseBox();
      FUZZ_CHECK(view.closed && fake.messages.shown.size() == messages, typed);
      break;
    case kRestore:
      w.form.Command2_Click();
      FUZZ_CHECK(view.text1.empty() && view.text2.empty() && !view.closed, typed);
      break;
    case kSave: {
      w.form.Command3_Click();
      may_write = true;
      const std::wstring file = ini::SettingsFile(fake.platform.App);
      if (view.closed) {
        FUZZ_CHECK(fake.messages.shown.size() == messages, typed);
        FUZZ_CHECK(fake.profile.Read(file, L"EXE", L"WORD") == text1, typed);
        FUZZ_CHECK(fake.profile.Read(file, L"EXE", L"TEXT") == text2, typed);
        break;
      }
      FUZZ_CHECK(fake.messages.shown.size() == messages + 1, typed);
      CheckFailedSave(w, stored, typed);
      // Nothing stands in the way of a plain full path on a willing file.
      const bool troubled = !fake.profile.fail_reason.empty() ||
                            !fake.profile.key_failures.empty() || fake.profile.writes_allowed >= 0;
      auto not_full = [](const std::wstring& box) {
        const std::wstring path = ini::AsRead(box);
        return !path.empty() && !IsFullPath(path);
      };
      FUZZ_CHECK(troubled || not_full(text1) || not_full(text2) ||
                     (text1 + text2).find_first_of(L"한〜") != std::wstring::npos,
                 typed);
      break;
    }
    case kTypeWord:
    case kTypeText:
      (command == kTypeWord ? view.text1 : view.text2) = fuzz::ConsumeText(in, kTypedAlphabet, 12);
      break;
    case kSendTo:
    case kSetVerb:
    case kRemoveVerb:
      command == kSendTo    ? w.form.Command4_Click()
      : command == kSetVerb ? w.form.Command5_Click()
                            : w.form.Command6_Click();
      FUZZ_CHECK(fake.messages.shown.size() == messages + 1 && !view.closed, typed);
      FUZZ_CHECK(view.text1 == text1 && view.text2 == text2, typed);
      break;
    case kCommandCount:
      break;
  }
  if (!may_write) FUZZ_CHECK(fake.profile.values == stored, typed);
}

void Run(FuzzedDataProvider& in) {
  Window w;
  SetUp(in, w);
  const std::wstring windir = w.fake.environment.Get(L"WINDIR");
  CheckLoad(w, windir.empty() ? w.fake.environment.windows_folder : windir);
  for (std::size_t step = 0; step != 12 && !w.view.closed && in.remaining_bytes() != 0; ++step) {
    RunCommand(w, static_cast<Command>(in.ConsumeIntegralInRange<int>(0, kCommandCount - 1)), in);
  }
}

}  // namespace
}  // namespace talvern

TALVERN_FUZZ_TARGET(talvern::Run)
