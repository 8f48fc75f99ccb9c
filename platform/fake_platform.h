// In-memory stand-ins for the operating system, for the unit tests.
#ifndef TALVERN_PLATFORM_FAKE_PLATFORM_H_
#define TALVERN_PLATFORM_FAKE_PLATFORM_H_

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"

namespace talvern {

struct ShownMessage {
  std::wstring prompt;
  MsgIcon icon;
  std::wstring title;
  bool question = false;  ///< asked with Yes and No.
};

class FakeMessages : public MessageBoxes {
 public:
  void MsgBox(const std::wstring& prompt, MsgIcon icon, const std::wstring& title) override;
  /// Answers from `answers` in turn, then No.
  bool Ask(const std::wstring& prompt, MsgIcon icon, const std::wstring& title,
           DefaultAnswer default_answer) override;
  std::vector<ShownMessage> shown;
  std::deque<bool> answers;
  std::function<void()> on_show;  ///< runs while a box is "open".
};

class FakeProfile;

/// Files as byte strings; folders as a set; paths compared exactly, but SameFile ignores
/// case and follows `aliases`. A settings file that `profile` holds exists too.
class FakeFileSystem : public FileSystem {
 public:
  bool FileExists(const std::wstring& path) override;
  std::unique_ptr<ByteReader> OpenForRead(const std::wstring& path, std::wstring* error) override;
  bool ProbePlainFile(const std::wstring& path) override;
  bool SameFile(const std::wstring& a, const std::wstring& b) override;
  bool ReadInternalName(const std::wstring& path, std::wstring* name) override;

  std::map<std::wstring, std::wstring> aliases;         ///< path -> the file it also names.
  std::map<std::wstring, std::wstring> internal_names;  ///< program -> its InternalName.

  std::map<std::wstring, std::string> files;
  const FakeProfile* profile = nullptr;
  std::set<std::wstring> folders;
  std::set<std::wstring> hidden;                      ///< files the plain-file probe skips.
  std::map<std::wstring, std::wstring> open_errors;   ///< path -> reason it cannot be opened.
  std::map<std::wstring, std::uint64_t> read_errors;  ///< path -> first position that fails.
  std::map<std::wstring, int> bytes_read;             ///< path -> bytes read so far.
  std::vector<std::wstring> exists_asked;             ///< every FileExists argument, in order.
  /// path -> reads of the first bytes at once (ReadStart), and the reason they fail there.
  std::map<std::wstring, int> start_reads;
  std::map<std::wstring, std::wstring> start_read_errors;
};

/// INI values keyed by file, section and key (names without regard to case). Like the
/// profile functions, a write stores "?" for each character the code page lacks.
class FakeProfile : public ProfileStore {
 public:
  std::wstring Read(const std::wstring& file, const std::wstring& section,
                    const std::wstring& key) override;
  bool Contains(const std::wstring& file, const std::wstring& section,
                const std::wstring& key) override;
  bool CanStoreExactly(const std::wstring& text, std::wstring* why) override;
  bool Write(const std::wstring& file, const std::wstring& section, const std::wstring& key,
             const std::wstring& value, std::wstring* error) override;
  bool Delete(const std::wstring& file, const std::wstring& section, const std::wstring& key,
              std::wstring* error) override;
  bool HoldForReading(const std::wstring& file, std::shared_ptr<void>* hold, std::wstring* error,
                      bool* in_use) override;
  bool RemoveFile(const std::wstring& file, std::wstring* error) override;
  /// True when any key of `file` is stored, or `file` is in `empty_files`.
  bool HasFile(const std::wstring& file) const;

  using Key = std::tuple<std::wstring, std::wstring, std::wstring>;
  static Key MakeKey(const std::wstring& file, const std::wstring& section,
                     const std::wstring& key);
  std::map<Key, std::wstring> values;
  std::vector<std::tuple<std::wstring, std::wstring, std::wstring>> writes;  ///< section,key,value
  std::vector<std::pair<std::wstring, std::wstring>> deletes;                ///< section,key
  std::set<std::wstring> empty_files;  ///< files that exist without a key (written, emptied).
  std::vector<std::wstring> removed;   ///< every file removed, in order.
  std::map<std::wstring, std::wstring> read_locks;  ///< file -> why it cannot be opened to read.
  std::set<std::wstring> lasting_read_errors;  ///< files of read_locks that no other program holds.
  std::wstring unstorable;                     ///< characters the code page lacks.
  std::wstring fail_reason;                    ///< when set, every write and delete fails with it.
  std::map<std::wstring, std::wstring> key_failures;  ///< key (any case) -> why its writes fail.
  int writes_allowed = -1;  ///< writes and deletes that succeed before all fail; -1: no limit.

 private:
  bool Refused(const std::wstring& key, std::wstring* error);
};

struct StartedProcess {
  std::wstring application;
  std::wstring command_line;
};

class FakeProcesses : public ProcessStarter {
 public:
  bool Start(const std::wstring& application, const std::wstring& command_line,
             std::wstring* error) override;
  std::vector<StartedProcess> started;
  std::map<std::wstring, std::wstring> failures;  ///< application -> reason.
};

class FakeEnvironment : public Environment {
 public:
  std::wstring Get(const std::wstring& name) override;
  void Set(const wchar_t* /*name*/, const std::wstring& /*value*/) override {}
  std::wstring WindowsFolder() override { return windows_folder; }
  std::map<std::wstring, std::wstring> variables;
  std::wstring windows_folder = L"C:\\WINDOWS";
};

class FakeWord : public WordAutomation {
 public:
  bool QueryPath(const std::wstring& prog_id, std::wstring* folder) override;
  bool installed = false;
  std::wstring folder;
  std::vector<std::wstring> created;  ///< prog ids asked for.
};

struct DialogCall {
  void* owner;
  std::wstring filter;
  std::wstring initial_folder;
  FileChoice choice;
};

class FakeDialog : public FileDialog {
 public:
  std::wstring ShowOpen(void* owner, const std::wstring& filter, const std::wstring& initial_folder,
                        FileChoice choice, std::wstring* error) override;
  std::deque<std::wstring> answers;  ///< next chosen paths; empty text = cancelled.
  std::wstring failure;              ///< when set, the dialog fails with it.
  std::vector<DialogCall> calls;
};

/// The machine-wide and the per-user classes. HKEY_CLASSES_ROOT is their merge, as Windows
/// builds it: a key is there when either holds it, with the per-user value when both do,
/// and writing or deleting through it reaches the per-user key when that exists, else the
/// machine-wide one. Deleting a key with subkeys is refused as on Windows NT.
class FakeRegistry : public Registry {
 public:
  /// Strings only: every value reads back as REG_SZ.
  bool Get(KeyRoot root, const std::wstring& key, const std::wstring& name,
           RawValue* value) override;
  RegResult Set(KeyRoot root, const std::wstring& key, const std::wstring& name,
                const RawValue& value, std::wstring* error) override;
  RegResult DeleteValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                        std::wstring* error) override;
  RegResult DeleteKey(KeyRoot root, const std::wstring& key, std::wstring* error) override;
  bool KeyExists(KeyRoot root, const std::wstring& key) override;
  bool KeyIsEmpty(KeyRoot root, const std::wstring& key) override;

  /// The default value of `key` as HKEY_CLASSES_ROOT shows it; empty if none.
  std::wstring MergedValue(const std::wstring& key) const;
  /// True when `key` is under `root` (kClasses: under either).
  bool Has(KeyRoot root, const std::wstring& key) const;

  /// Keys and their default values by root (never kClasses), with lower-cased names.
  std::map<std::pair<KeyRoot, std::wstring>, std::wstring> keys;
  /// Named values by root, lower-cased key and lower-cased name (default values: `keys`).
  std::map<std::tuple<KeyRoot, std::wstring, std::wstring>, std::wstring> values;
  std::set<KeyRoot> read_only;     ///< kMachineClasses/kUserClasses: writes, deletes refused.
  std::set<std::wstring> refused;  ///< lower-cased keys of any root whose writes fail.
  std::vector<std::wstring> log;   ///< "set ROOT KEY=VALUE" / "delete ROOT KEY[:NAME]" in order.

 private:
  /// Where an operation on `key` under `root` lands: kClasses resolved as Windows does.
  KeyRoot Target(KeyRoot root, const std::wstring& key) const;
};

/// Programs by extension and verb.
class FakeAssociations : public Associations {
 public:
  bool Query(const std::wstring& extension, const std::wstring& verb, std::wstring* executable,
             std::wstring* friendly_name) override;
  void NotifyChanged() override;

  struct Program {
    std::wstring executable;
    std::wstring friendly_name;
  };
  std::map<std::pair<std::wstring, std::wstring>, Program> programs;  ///< (extension, verb).
  int notified = 0;
};

class FakeShell : public Shell {
 public:
  bool SendToFolder(std::wstring* folder, std::wstring* error) override;
  bool DocumentsFolder(std::wstring* folder, std::wstring* error) override;
  bool WriteShortcut(const std::wstring& link_file, const std::wstring& target,
                     std::wstring* error) override;
  bool ReadShortcut(const std::wstring& link_file, std::wstring* target,
                    std::wstring* error) override;
  bool DeleteShortcut(const std::wstring& link_file, std::wstring* error) override;
  std::wstring send_to;                        ///< empty: the folder cannot be found.
  std::wstring documents;                      ///< empty: the folder cannot be found.
  std::wstring write_error;                    ///< when set, writing fails with it.
  std::map<std::wstring, std::wstring> links;  ///< link file -> target.
  bool OpenUri(const std::wstring& uri, std::wstring* error) override;
  std::vector<std::wstring> opened;  ///< every URI opened, in order.
  std::wstring open_error;           ///< when set, opening fails with it.
};

/// Counts each showing; runs `on_show` while the window is "open".
class FakeWindow : public SettingsWindow {
 public:
  void ShowModal() override;
  int shown = 0;
  std::function<void()> on_show;
};

/// Every fake wired into one Platform.
struct FakePlatform {
  FakePlatform();
  explicit FakePlatform(const std::wstring& exe_file);
  FakeMessages messages;
  FakeFileSystem files;
  FakeProfile profile;
  FakeProcesses processes;
  FakeEnvironment environment;
  FakeWord word;
  FakeDialog dialog;
  FakeRegistry registry;
  FakeShell shell;
  FakeWindow window;
  FakeAssociations associations;
  Platform platform;

  /// Writes the settings file beside the executable with the two paths.
  void WriteSettings(const std::wstring& word, const std::wstring& text);
};

}  // namespace talvern

#endif  // TALVERN_PLATFORM_FAKE_PLATFORM_H_
