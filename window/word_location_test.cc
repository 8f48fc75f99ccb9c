#include "window/word_location.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/fake_platform.h"

namespace talvern {
namespace {

const wchar_t kWinword[] = L"C:\\Program Files\\Microsoft Office\\Office16\\WINWORD.EXE";

TEST(ServerProgramTest, ReadsTheFileALocalServerCommandStarts) {
  const struct {
    const wchar_t* text;
    bool expandable;
    const wchar_t* program;  // empty: none
  } rows[] = {
      {L"\"C:\\Program Files\\Microsoft Office\\Office16\\WINWORD.EXE\" /Automation", false,
       kWinword},
      {L"C:\\Program Files\\Microsoft Office\\Office16\\WINWORD.EXE /Automation", false, kWinword},
      {L"  C:\\Program Files\\Microsoft Office\\Office16\\WINWORD.EXE", false, kWinword},
      {L"%ProgramFiles%\\Microsoft Office\\Office16\\WINWORD.EXE /Automation", true, kWinword},
      {L"%ProgramFiles%\\Microsoft Office\\Office16\\WINWORD.EXE", false, L""},  // REG_SZ
      {L"%Unset%\\Microsoft Office\\Office16\\WINWORD.EXE", true, L""},
      {L"\"C:\\Program Files\\Microsoft Office\\Office15\\WINWORD.EXE\" /Automation", false, L""},
      {L"WINWORD.EXE /Automation", false, L""},  // a bare name says nothing of where
      {L"", false, L""},
  };
  FakeFileSystem files;
  files.files[kWinword] = "MZ";
  files.files[L"WINWORD.EXE"] = "MZ";
  FakeEnvironment env;
  env.variables[L"ProgramFiles"] = L"C:\\Program Files";
  for (const auto& row : rows) {
    RawValue command = RawValue::Text(row.text);
    if (row.expandable) command.type = RawValue::kExpandableText;
    EXPECT_EQ(ServerProgram(command, files, env), row.program) << row.text;
  }
}

// The views' commands in order, what automation would say, and the folder found (empty:
// none); the automation object is created only when no local server is registered, and a
// server's folder counts only when Winword.exe is in it.
TEST(FindWordFolderTest, LocalServersFirstAutomationOnlyWithoutThem) {
  const std::wstring gone = L"\"C:\\Office\\gone.exe\" /Automation";
  const std::wstring other_suite = L"\"C:\\Suite\\writer.exe\" /Automation";
  const struct {
    std::vector<std::wstring> servers;
    const wchar_t* folder;
    bool automation;
    const wchar_t* path = L"D:\\Automation";  // what the automation object says
  } rows[] = {
      {{{kWinword}}, L"C:\\Program Files\\Microsoft Office\\Office16", false},
      {{{gone}, {kWinword}}, L"C:\\Program Files\\Microsoft Office\\Office16", false},
      {{{other_suite}, {kWinword}}, L"C:\\Program Files\\Microsoft Office\\Office16", false},
      {{{L"C:\\WINWORD.EXE /Automation"}}, L"C:\\", false},
      {{{gone}, {L""}}, L"", false},
      {{{L"\"C:\\Tools\\talvern.exe\" /Automation"}, {kWinword}},
       L"C:\\Program Files\\Microsoft Office\\Office16",
       false},
      {{}, L"D:\\Automation", true},
      {{}, L"", true, L""},           // no Path: never "\Winword.exe"
      {{}, L"", true, L"C:\\Tools"},  // a copy of Talvern named like Word
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    // The fake's names are case-sensitive, the real file system's are not.
    for (const wchar_t* file :
         {kWinword, L"C:\\Program Files\\Microsoft Office\\Office16\\Winword.exe",
          L"C:\\WINWORD.EXE", L"C:\\Winword.exe", L"C:\\Suite\\writer.exe",
          L"D:\\Automation\\Winword.exe", L"\\Winword.exe"}) {
      fake.files.files[file] = "MZ";
    }
    fake.files.files[L"C:\\Tools\\talvern.exe"] = fake.files.files[L"C:\\Tools\\Winword.exe"] =
        "MZ";
    fake.files.internal_names[L"C:\\Tools\\Winword.exe"] = L"Talvern";
    fake.word.installed = true;
    fake.word.folder = row.path;
    // The 64-bit view's command first, then the 32-bit view's.
    fake.registry.keys[{KeyRoot::kMachineClasses, L"word.application\\clsid"}] = L"{W}";
    const KeyRoot views[] = {KeyRoot::kClasses64, KeyRoot::kClasses32};
    for (std::size_t i = 0; i < row.servers.size(); ++i) {
      fake.registry.keys[{views[i], L"clsid\\{w}\\localserver32"}] = row.servers[i];
    }
    std::wstring folder = L"unchanged";
    EXPECT_EQ(FindWordFolder(fake.platform, L"Word.Application", &folder), *row.folder != 0);
    EXPECT_EQ(folder, *row.folder ? row.folder : L"unchanged");
    EXPECT_EQ(fake.word.created.size(), row.automation ? 1u : 0u);
  }
}

}  // namespace
}  // namespace talvern
