// What the unit tests of the settings window's logic share: a form of its own for table
// rows, and a fixture with a Word and a Notepad that exist.
#ifndef TALVERN_WINDOW_FORM1_TEST_FIXTURE_H_
#define TALVERN_WINDOW_FORM1_TEST_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ini.h"
#include "tests/fakes/fake_platform.h"
#include "window/fake_view.h"
#include "window/form1.h"

namespace talvern {

const wchar_t kWord[] = L"C:\\Office\\WINWORD.EXE";
const wchar_t kNotepad[] = L"C:\\WINDOWS\\notepad.exe";
const wchar_t kSettings[] = L"C:\\Tools\\Data.ini";
const void* const kHandle = reinterpret_cast<void*>(0x1234);

// A form with its own state and view over `platform`, for table rows that start afresh.
struct FreshForm {
  explicit FreshForm(Platform& platform) : form(module, platform, view) {
    view.form = &form;
    view.handle = const_cast<void*>(kHandle);
  }
  Module1 module;
  FakeView view;
  Form1 form;
};

class Form1Test : public ::testing::Test {
 protected:
  Form1Test() : form(m, fake.platform, view) {
    view.form = &form;
    view.handle = const_cast<void*>(kHandle);
    fake.environment.variables[L"WINDIR"] = L"C:\\WINDOWS";
    fake.files.files[kNotepad] = "MZ";
    fake.files.files[kWord] = "MZ";
  }

  std::vector<std::wstring> Prompts() const {
    std::vector<std::wstring> prompts;
    for (const ShownMessage& shown : fake.messages.shown) prompts.push_back(shown.prompt);
    return prompts;
  }
  std::wstring Stored(const wchar_t* key) {
    return fake.profile.Read(kSettings, ini::kExeSection, key);
  }

  Module1 m;
  FakePlatform fake;  // the executable is C:\Tools\talvern.exe
  FakeView view;
  Form1 form;
};

}  // namespace talvern

#endif  // TALVERN_WINDOW_FORM1_TEST_FIXTURE_H_
