// What the unit tests of the settings window's logic share: a fake view, a form of its
// own for table rows, and a fixture with a Word and a Notepad that exist.
#ifndef TALVERN_WINDOW_FORM1_TEST_FIXTURE_H_
#define TALVERN_WINDOW_FORM1_TEST_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "window/form1.h"

namespace talvern {

const wchar_t kWord[] = L"C:\\Office\\WINWORD.EXE";
const wchar_t kNotepad[] = L"C:\\WINDOWS\\notepad.exe";
const wchar_t kSettings[] = L"C:\\Tools\\Data.ini";
const void* const kHandle = reinterpret_cast<void*>(0x1234);

// A window that remembers what the logic did to it; Unload behaves as the real one.
class FakeView : public Form1View {
 public:
  std::wstring Text1() override { return text1; }
  void SetText1(const std::wstring& text) override { text1 = text; }
  std::wstring Text2() override { return text2; }
  void SetText2(const std::wstring& text) override { text2 = text; }
  void SetCaption(const std::wstring& text) override { caption = text; }
  bool WordFormatsChecked() override { return word_formats; }
  void SetWordFormatsChecked(bool checked) override { word_formats = checked; }
  void Unload() override {
    int cancel = 0;
    form->Form_QueryUnload(&cancel, kUnloadFormCode);
    if (!cancel) closed = true;
  }
  void* Handle() override { return const_cast<void*>(kHandle); }

  /// The user closing the window with its close box.
  void CloseBox() {
    int cancel = 0;
    form->Form_QueryUnload(&cancel, kUnloadFormControlMenu);
    if (!cancel) closed = true;
  }

  Form1* form = nullptr;
  std::wstring text1 = L"", text2 = L"", caption = L"TALVERN";
  bool word_formats = false;
  bool closed = false;
};

// A form with its own state and view over `platform`, for table rows that start afresh.
struct FreshForm {
  explicit FreshForm(Platform& platform) : form(module, platform, view) { view.form = &form; }
  Module1 module;
  FakeView view;
  Form1 form;
};

class Form1Test : public ::testing::Test {
 protected:
  Form1Test() : form(m, fake.platform, view) {
    view.form = &form;
    fake.environment.variables[L"WINDIR"] = L"C:\\WINDOWS";
    fake.files.files[kNotepad] = "MZ";
    fake.files.files[kWord] = "MZ";
  }

  std::vector<std::wstring> Prompts() const {
    std::vector<std::wstring> prompts;
    for (const ShownMessage& shown : fake.messages.shown) prompts.push_back(shown.prompt);
    return prompts;
  }
  std::wstring Stored(const wchar_t* key) { return fake.profile.Read(kSettings, L"EXE", key); }

  Module1 m;
  FakePlatform fake;  // the executable is C:\Tools\talvern.exe
  FakeView view;
  Form1 form;
};

}  // namespace talvern

#endif  // TALVERN_WINDOW_FORM1_TEST_FIXTURE_H_
