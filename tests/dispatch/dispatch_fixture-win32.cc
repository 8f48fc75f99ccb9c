#include <objidl.h>
#include <shlobj.h>

#include <utility>

#include "tests/dispatch/dispatch_fixture.h"

namespace talvern {
namespace e2e {

const char kCompound[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\x00\x00\x00\x00";

void DispatchTest::SetUp() {
  folder_ = TestFolder();
  ASSERT_FALSE(folder_.empty()) << "cannot make the test folder";
  app_ = folder_ + L"app\\";
  exe_ = CopyTalvern(app_);
  ASSERT_FALSE(exe_.empty()) << "cannot copy " << Utf8(TalvernExe());
  // Where they usually live: folders with spaces, which the programs' own command-line
  // splitting must not take for arguments.
  word_ = folder_ + L"Program Files\\Microsoft Office\\root\\Office16\\WINWORD.EXE";
  text_ = folder_ + L"Program Files\\Ed\\editor.exe";
  ASSERT_TRUE(InstallStandIn(word_));
  ASSERT_TRUE(InstallStandIn(text_));
  docs_ = folder_ + L"docs\\";
  ASSERT_TRUE(MakeFolders(docs_));
}

void DispatchTest::WriteSettings(const char* word_formats) {
  std::string bytes = DataIniBytes(word_, text_);
  if (word_formats) bytes += std::string("[OPTION]\r\nWORDFORMATS=") + word_formats + "\r\n";
  ASSERT_TRUE(WriteDataIni(app_, bytes));
}

std::wstring DispatchTest::Document(const std::wstring& name, const std::string& bytes) {
  const std::wstring path = docs_ + name;
  EXPECT_TRUE(WriteBytes(path, bytes)) << Utf8(path);
  return path;
}

Outcome DispatchTest::Dispatch(const std::wstring& argument_text) {
  return DispatchWith(exe_, argument_text, {word_, text_});
}

namespace {

Outcome Observe(std::unique_ptr<ProgramRun> run, const std::wstring& error,
                const std::vector<std::wstring>& stand_ins) {
  Outcome outcome;
  EXPECT_TRUE(run) << Utf8(error);
  if (!run) return outcome;
  outcome.popups = DriveToEnd(*run, &outcome.ended);
  outcome.starts = ReadRecords(stand_ins);
  return outcome;
}

}  // namespace

Outcome DispatchTest::DispatchWith(const std::wstring& exe, const std::wstring& argument_text,
                                   const std::vector<std::wstring>& stand_ins) {
  std::wstring error;
  std::unique_ptr<ProgramRun> run = ProgramRun::Start(exe, argument_text, &error);
  return Observe(std::move(run), error, stand_ins);
}

Outcome DispatchTest::DispatchLine(const std::wstring& command_line) {
  std::wstring error;
  std::unique_ptr<ProgramRun> run = ProgramRun::StartRaw(exe_, command_line, &error);
  return Observe(std::move(run), error, {word_, text_});
}

Launch DispatchTest::Started(const std::wstring& exe, const std::wstring& document) {
  return Launch{exe, {document}};
}

std::wstring DispatchTest::CommandLine(const std::wstring& exe, const std::wstring& document) {
  return L"\"" + exe + L"\" \"" + document + L"\"";
}

bool operator==(const Launch& a, const Launch& b) {
  return a.exe == b.exe && a.arguments == b.arguments;
}

void PrintTo(const Launch& launch, std::ostream* os) {
  *os << Utf8(launch.exe) << " given " << launch.arguments.size() << " argument(s):";
  for (const std::wstring& argument : launch.arguments) *os << " [" << Utf8(argument) << "]";
}

bool WriteShortcut(const std::wstring& link, const std::wstring& target) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* shell_link = nullptr;
  IPersistFile* file = nullptr;
  const bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_PPV_ARGS(&shell_link))) &&
                  SUCCEEDED(shell_link->SetPath(target.c_str())) &&
                  SUCCEEDED(shell_link->QueryInterface(IID_PPV_ARGS(&file))) &&
                  SUCCEEDED(file->Save(link.c_str(), TRUE));
  if (file) file->Release();
  if (shell_link) shell_link->Release();
  return ok;  // COM stays up for the test process: later links need it too
}

std::string Describe(const std::vector<Popup>& popups) {
  std::string text;
  for (const Popup& popup : popups) {
    text += popup.settings_window ? "[window " : "[message box ";
    text += Utf8(popup.box.caption) + " | " + Utf8(popup.box.text) + " | " +
            IconName(popup.box.icon) + "] ";
  }
  return text.empty() ? "no message box or window" : text;
}

std::vector<Launch> Launches(const Outcome& outcome) {
  std::vector<Launch> launches;
  for (const StandInRecord& start : outcome.starts) {
    launches.push_back(Launch{start.exe, start.arguments});
  }
  return launches;
}

}  // namespace e2e
}  // namespace talvern
