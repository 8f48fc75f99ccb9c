// Helpers for the end-to-end tests that run the real talvern.exe under Wine (or
// Windows): test folders, stand-in programs, Data.ini bytes, runs of talvern.exe, the
// shell and the registry. Window driving is in tests/harness/windows.h.
#ifndef TALVERN_TESTS_HARNESS_HARNESS_H_
#define TALVERN_TESTS_HARNESS_HARNESS_H_

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace talvern {
namespace e2e {

/// How long a test waits for something that normally takes well under a second.
constexpr DWORD kPatience = 15000;

// --- The programs under test -------------------------------------------------------

/// Windows path of the built talvern.exe ("Z:\...\build\win\talvern.exe").
std::wstring TalvernExe();
/// Windows path of the built stand-in (tests/standin), to be copied under other names.
std::wstring StandInExe();
/// Windows path of a file of the build tree, given as a Unix path in UTF-8 ("Z:\..." form).
std::wstring FromUnixPath(const std::string& unix_path);

// --- Text ----------------------------------------------------------------------------

/// `text` in code page 932 (the Japanese ANSI code page); characters it lacks become "?".
std::string Cp932(const std::wstring& text);
/// UTF-8 bytes of `text`, and back.
std::string Utf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& bytes);

// --- Files and folders -----------------------------------------------------------------

/// An emptied folder for the running gtest test, "C:\talvern tests\<suite>\<test>\"
/// (the base holds a space and Japanese characters: "C:\talvern テスト 表\"), with
/// `sub` appended when given. Ends in "\". Empty text when it cannot be made.
std::wstring TestFolder(const std::wstring& sub = L"");
/// Creates `folder` and every missing parent. True when it exists afterwards.
bool MakeFolders(const std::wstring& folder);
/// Deletes `path` (a file, or a folder with everything in it). True when it is gone.
bool RemoveTree(const std::wstring& path);
/// Writes exactly `bytes` to `path` (replacing it), creating missing folders.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
/// The whole content of `path`; false when it cannot be read.
bool ReadBytes(const std::wstring& path, std::string* bytes);
/// True when a file or folder of that path exists.
bool Exists(const std::wstring& path);

/// Copies the built talvern.exe to `folder` (made if missing) as `name`; its full path,
/// or empty text on failure.
std::wstring CopyTalvern(const std::wstring& folder, const std::wstring& name = L"talvern.exe");
/// Copies the stand-in to exactly `exe_path` (folders made if missing) and removes an old
/// record log. True on success.
bool InstallStandIn(const std::wstring& exe_path);

/// The bytes of a Data.ini holding `word` and `text` in section EXE, in code page 932 with
/// CRLF line ends ("[EXE]\r\nWORD=...\r\nTEXT=...\r\n").
std::string DataIniBytes(const std::wstring& word, const std::wstring& text);
/// Writes `bytes` as "<folder>\Data.ini" exactly.
bool WriteDataIni(const std::wstring& folder, const std::string& bytes);

// --- Stand-in records ------------------------------------------------------------------

/// One start of a stand-in, as it recorded it.
struct StandInRecord {
  std::wstring exe;           ///< the stand-in's path (whose log held the record).
  std::wstring command_line;  ///< GetCommandLineW() of the started process, exactly.
  /// What the started program makes of `command_line` (CommandLineToArgvW), its own name
  /// left out: the arguments it really received.
  std::vector<std::wstring> arguments;
  int show = -1;                   ///< STARTUPINFO wShowWindow, -1 when none was requested.
  unsigned long long created = 0;  ///< process creation time; orders the records.
  DWORD pid = 0;
};

/// Log file of the stand-in at `exe_path`.
std::wstring RecordLog(const std::wstring& exe_path);
/// The records of the given stand-ins merged and ordered by process creation time.
std::vector<StandInRecord> ReadRecords(const std::vector<std::wstring>& exe_paths);
/// Polls until the given stand-ins hold at least `count` records together (or
/// `timeout_ms` passed); returns what is there, ordered by creation time.
std::vector<StandInRecord> WaitForRecords(const std::vector<std::wstring>& exe_paths,
                                          std::size_t count, DWORD timeout_ms = kPatience);
/// Only the command lines of `records`, in order.
std::vector<std::wstring> CommandLines(const std::vector<StandInRecord>& records);

// --- Running programs ------------------------------------------------------------------

/// A started program and every process it starts, held in one job: the run can be waited
/// for as a whole, and whatever is left is killed when the object goes away.
class ProgramRun {
 public:
  /// Starts exactly `exe` with the command line `"<exe>" <argument_text>` (no space and
  /// no arguments when `argument_text` is empty). Null with `error` on failure.
  static std::unique_ptr<ProgramRun> Start(const std::wstring& exe,
                                           const std::wstring& argument_text, std::wstring* error);
  /// Starts `exe` with exactly `command_line`.
  static std::unique_ptr<ProgramRun> StartRaw(const std::wstring& exe,
                                              const std::wstring& command_line,
                                              std::wstring* error);
  ~ProgramRun();

  DWORD pid() const { return pid_; }
  HANDLE process() const { return process_; }
  /// Waits until the program itself has ended; false on timeout. Sets `exit_code`.
  bool WaitEnded(DWORD timeout_ms = kPatience, DWORD* exit_code = nullptr);
  /// Waits until the program and everything it started have ended; false on timeout.
  bool WaitAllEnded(DWORD timeout_ms = kPatience);
  /// True while the program itself runs.
  bool Running() const;

 private:
  ProgramRun() = default;
  HANDLE job_ = nullptr;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

/// Short name outside test fixtures (inside one, `Run` is testing::Test::Run).
using Run = ProgramRun;

/// Outcome of RunToEnd.
struct RunResult {
  bool started = false;  ///< false: `error` says why.
  bool ended = false;    ///< the program and everything it started ended in time.
  DWORD exit_code = 0;
  std::wstring error;
};

/// Runs `exe` with `argument_text` and waits until it and everything it started ended.
RunResult RunToEnd(const std::wstring& exe, const std::wstring& argument_text,
                   DWORD timeout_ms = kPatience);

/// Opens `file` the way a double-click does (ShellExecuteExW, no verb). The started
/// process in `process` when the shell reports one (caller closes it), else null.
bool ShellOpen(const std::wstring& file, HANDLE* process, std::wstring* error);

// --- DLLs beside the program -------------------------------------------------------------

/// Copies of a DLL that only records its loading (planted_dll-win32.cc), put into `folder`
/// as "<name>.dll" for each of `names`. While the object lives, Wine prefers a DLL of those
/// names found beside a program called talvern.exe to its own (AppDefaults in HKCU).
class PlantedDlls {
 public:
  PlantedDlls(const std::wstring& folder, const std::vector<std::wstring>& names);
  ~PlantedDlls();
  PlantedDlls(const PlantedDlls&) = delete;
  PlantedDlls& operator=(const PlantedDlls&) = delete;
  bool ok() const { return ok_; }
  /// Those of the names whose DLL was loaded.
  std::vector<std::wstring> Loaded() const;

 private:
  std::wstring folder_;
  std::vector<std::wstring> names_;
  bool ok_ = false;
};

// --- Registry ----------------------------------------------------------------------------

/// The default value (REG_SZ or REG_EXPAND_SZ, unexpanded) of `key` under `root`; false
/// when the key or the value is missing.
bool RegistryDefault(HKEY root, const std::wstring& key, std::wstring* value);
/// Sets the default value of `key` under `root` (created when missing). True on success.
bool SetRegistryDefault(HKEY root, const std::wstring& key, const std::wstring& value);
/// True when `key` exists under `root`.
bool RegistryKeyExists(HKEY root, const std::wstring& key);

/// Keeps what ".doc" files open with (HKEY_CLASSES_ROOT\.doc, which a machine without Word
/// may map to WordPad) away from a test: unmaps ".doc" now, puts its old class back (and
/// removes the test's class) when it goes away.
class DocTypeGuard {
 public:
  DocTypeGuard();
  ~DocTypeGuard();
  DocTypeGuard(const DocTypeGuard&) = delete;
  DocTypeGuard& operator=(const DocTypeGuard&) = delete;
  /// Maps ".doc" to the class kTestDocClass, whose "open" command is `command`.
  bool Map(const std::wstring& command);

 private:
  bool had_class_ = false;
  std::wstring class_;
};
/// The document class DocTypeGuard::Map writes.
constexpr wchar_t kTestDocClass[] = L"Talvern.E2E.OtherDocument";

/// "Function: system message" for `code` (for failure messages of tests).
std::wstring ErrorText(const wchar_t* function, DWORD code);

}  // namespace e2e
}  // namespace talvern

#endif  // TALVERN_TESTS_HARNESS_HARNESS_H_
