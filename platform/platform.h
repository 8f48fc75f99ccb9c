// The operating system as the core sees it: small interfaces that the Win32
// layer implements and that in-memory fakes implement for the unit tests.
#ifndef TALVERN_PLATFORM_PLATFORM_H_
#define TALVERN_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace talvern {

/// Facts about the running executable.
struct AppFacts {
  std::wstring Path;         ///< its folder; no trailing "\" except a drive root ("C:\").
  std::wstring EXEName;      ///< file name without folder and without ".exe".
  std::wstring ExeFile;      ///< full path of the running executable.
  std::wstring Title;        ///< caption of every message box.
  std::wstring ProductName;  ///< "TALVERN Ver1.20".
  /// The version and copyright texts of the version resource.
  std::wstring Version;
  std::wstring LegalCopyright;
  /// The build number of the running Windows (22000 and later: Windows 11); 0 when unknown.
  /// Filled in by the Win32 layer, not by MakeAppFacts.
  unsigned long WindowsBuild = 0;
};

/// Builds the facts from the executable's full path (as GetModuleFileName gives it).
AppFacts MakeAppFacts(const std::wstring& exe_file);

/// Icon kinds of a message box; the values are those of the Windows styles.
enum class MsgIcon : int { kCritical = 16, kExclamation = 48, kInformation = 64 };

/// The answer of a question that Enter gives: No where Yes cannot be undone.
enum class DefaultAnswer { kYes, kNo };

/// Modal message boxes.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  /// Shows `prompt` with `icon` and `title` as caption; returns when the user closed it.
  virtual void MsgBox(const std::wstring& prompt, MsgIcon icon, const std::wstring& title) = 0;
  /// Shows `prompt` with Yes and No buttons, `default_answer` the default one; true when Yes
  /// was chosen.
  virtual bool Ask(const std::wstring& prompt, MsgIcon icon, const std::wstring& title,
                   DefaultAnswer default_answer) = 0;
};

/// One open document, read a byte at a time or its first bytes at once.
class ByteReader {
 public:
  virtual ~ByteReader() = default;
  enum class Result { kByte, kEnd, kError };
  /// Reads the byte at 0-based `position`; kEnd past the end; kError with `error` set.
  virtual Result ReadByte(std::uint64_t position, std::uint8_t* byte, std::wstring* error) = 0;
  /// Replaces `bytes` with the first `max` bytes of the file (fewer when it is shorter),
  /// read in one read. False with `error` set.
  virtual bool ReadStart(std::size_t max, std::string* bytes, std::wstring* error) = 0;
};

/// Files and folders.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  /// True when a file (not a folder) exists at `path`.
  virtual bool FileExists(const std::wstring& path) = 0;
  /// Opens the existing file `path` for reading only; never creates or changes a file.
  /// Null with `error` on failure.
  virtual std::unique_ptr<ByteReader> OpenForRead(const std::wstring& path,
                                                  std::wstring* error) = 0;
  /// True when exactly `path` names a plain file: not a folder, not hidden, not system.
  virtual bool ProbePlainFile(const std::wstring& path) = 0;
  /// True when the paths `a` and `b` name the same file, compared as files (volume and file
  /// index), so any letter case, short form, drive letter, SUBST or junction matches; paths
  /// of which either cannot be opened match only as the same text.
  virtual bool SameFile(const std::wstring& a, const std::wstring& b) = 0;
  /// Reads into `name` the InternalName of the version information of the program file
  /// `path` (empty when it has none) from its bytes: nothing of it is loaded or run. False
  /// when the file cannot be opened for reading.
  virtual bool ReadInternalName(const std::wstring& path, std::wstring* name) = 0;
};

/// The settings file, in the INI format of the profile functions.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  /// The whole value of `key` in `section` of `file`; empty when file, section or key is missing.
  virtual std::wstring Read(const std::wstring& file, const std::wstring& section,
                            const std::wstring& key) = 0;
  /// True when `section` of `file` holds `key`, with any value (an empty one included).
  virtual bool Contains(const std::wstring& file, const std::wstring& section,
                        const std::wstring& key) = 0;
  /// True when the file's character set (the system's ANSI code page) holds every character
  /// of `text`, so that it reads back exactly; otherwise false with `why`.
  virtual bool CanStoreExactly(const std::wstring& text, std::wstring* why) = 0;
  /// Stores `value`, losing what CanStoreExactly refuses; false with `error` when the file
  /// cannot be written.
  virtual bool Write(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                     const std::wstring& value, std::wstring* error) = 0;
  /// Removes `key` from `section` of `file`; a missing key is no error. False with `error`
  /// when the file cannot be written.
  virtual bool Delete(const std::wstring& file, const std::wstring& section,
                      const std::wstring& key, std::wstring* error) = 0;
  /// Opens `file` for reading and keeps it open in `hold`, sharing it with readers and
  /// writers, so that no other program can lock the reads out until `hold` is released.
  /// True with `hold` empty when `file` does not exist; false with `error` when it cannot
  /// be opened, and `*in_use` true when that is because another program has it open or
  /// locked (which usually passes).
  virtual bool HoldForReading(const std::wstring& file, std::shared_ptr<void>* hold,
                              std::wstring* error, bool* in_use) = 0;
  /// Deletes `file` itself; false with `error` when it cannot.
  virtual bool RemoveFile(const std::wstring& file, std::wstring* error) = 0;
};

/// Starting programs.
class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  /// Starts exactly the file `application` with `command_line`, in a normal window that
  /// takes the focus, without waiting. False with `error` when it cannot be started.
  virtual bool Start(const std::wstring& application, const std::wstring& command_line,
                     std::wstring* error) = 0;
};

/// Process environment.
class Environment {
 public:
  virtual ~Environment() = default;
  /// The value of the variable `name`; empty when it is not set.
  virtual std::wstring Get(const std::wstring& name) = 0;
  /// Sets the variable `name` to `value` for the programs this process starts from now on
  /// (read it before: Get need not see it).
  virtual void Set(const wchar_t* name, const std::wstring& value) = 0;
  /// The Windows folder as the system gives it (GetWindowsDirectoryW); empty when it cannot.
  virtual std::wstring WindowsFolder() = 0;
};

/// The word processor's automation object ("Word.Application").
class WordAutomation {
 public:
  virtual ~WordAutomation() = default;
  /// Creates the object from `prog_id` from an in-process server only, reads its Path into
  /// `folder`, calls Quit and releases it. True when Path was read (a failing Quit does not
  /// matter); `folder` is untouched otherwise. Never shows a message of its own.
  virtual bool QueryPath(const std::wstring& prog_id, std::wstring* folder) = 0;
};

/// What the open-file dialog accepts as the choice.
enum class FileChoice { kAnyName, kExistingFile };

/// The common open-file dialog.
class FileDialog {
 public:
  virtual ~FileDialog() = default;
  /// Shows the dialog modally over `owner` with `filter` ("description|pattern") and
  /// `initial_folder`, accepting what `choice` allows; returns the chosen full path, or empty
  /// text when nothing was chosen. Empty text with `error` set when the dialog itself failed.
  /// The process's current folder is the same afterwards.
  virtual std::wstring ShowOpen(void* owner, const std::wstring& filter,
                                const std::wstring& initial_folder, FileChoice choice,
                                std::wstring* error) = 0;
};

/// The registry keys that the paths Talvern writes are relative to.
enum class KeyRoot {
  kClasses,         ///< HKEY_CLASSES_ROOT (machine-wide when a key exists only there).
  kMachineClasses,  ///< HKEY_LOCAL_MACHINE\Software\Classes.
  kUserClasses,     ///< HKEY_CURRENT_USER\Software\Classes.
  /// HKEY_CURRENT_USER\Software: the current user's keys of programs (the per-user
  /// classes are its "Classes" subkey).
  kUserSoftware,
  /// HKEY_CLASSES_ROOT as 64-bit and as 32-bit programs see it, whatever this program is:
  /// for reading the classes of programs of either kind.
  kClasses64,
  kClasses32,
};

/// Outcome of a registry write.
enum class RegResult { kOk, kAccessDenied, kNotFound, kFailed };

/// A registry value as stored: its type (REG_SZ = 1, REG_NONE = 0, ...) and its bytes.
struct RawValue {
  static constexpr std::uint32_t kText = 1;            ///< REG_SZ.
  static constexpr std::uint32_t kExpandableText = 2;  ///< REG_EXPAND_SZ: %NAME% still in it.
  std::uint32_t type = 0;
  std::string bytes;
  /// A REG_SZ value holding `text` and its terminating NUL, in UTF-16LE.
  static RawValue Text(const std::wstring& text);
  /// The text of a REG_SZ or REG_EXPAND_SZ value, up to its first NUL; false for other types.
  bool GetText(std::wstring* text) const;
  bool operator==(const RawValue& other) const {
    return type == other.type && bytes == other.bytes;
  }
};

/// The registry, as far as the shell verb needs it.
class Registry {
 public:
  virtual ~Registry() = default;
  /// The value `name` of `key` (empty: the default value) exactly as stored; false when the
  /// key or the value is missing.
  virtual bool Get(KeyRoot root, const std::wstring& key, const std::wstring& name,
                   RawValue* value) = 0;
  /// Creates `key` (and missing parents) under `root` and sets its value `name` (empty: the
  /// default value) to exactly `value`. `error` names the failing call and the reason.
  virtual RegResult Set(KeyRoot root, const std::wstring& key, const std::wstring& name,
                        const RawValue& value, std::wstring* error) = 0;
  /// Deletes the value `name` of `key` (kNotFound when it is not there).
  virtual RegResult DeleteValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                                std::wstring* error) = 0;
  /// Deletes the single key `key` (which must have no subkeys) under `root`.
  virtual RegResult DeleteKey(KeyRoot root, const std::wstring& key, std::wstring* error) = 0;
  /// True when `key` exists under `root`.
  virtual bool KeyExists(KeyRoot root, const std::wstring& key) = 0;
  /// True when `key` exists under `root` with no values (a default one included) and no
  /// subkeys.
  virtual bool KeyIsEmpty(KeyRoot root, const std::wstring& key) = 0;
};

/// The shell's file associations: which program opens a type of document.
class Associations {
 public:
  virtual ~Associations() = default;
  /// The program that opens files ending in `extension` with `verb` (empty: the default
  /// verb, what a double-click runs): its full path and its display name (empty when the
  /// system has none). A handler without an executable of its own (a packaged app) gives
  /// an empty path and its name. False when nothing is associated.
  virtual bool Query(const std::wstring& extension, const std::wstring& verb,
                     std::wstring* executable, std::wstring* friendly_name) = 0;
  /// Tells the shell that associations changed, so Explorer drops what it cached.
  virtual void NotifyChanged() = 0;
};

/// The shell: special folders and shortcut files.
class Shell {
 public:
  virtual ~Shell() = default;
  /// The current user's SendTo folder. False with `error` when it cannot be found.
  virtual bool SendToFolder(std::wstring* folder, std::wstring* error) = 0;
  /// The current user's Documents folder. False with `error` when it cannot be found.
  virtual bool DocumentsFolder(std::wstring* folder, std::wstring* error) = 0;
  /// Points the shell link `link_file` at `target`. An existing link keeps its other settings
  /// (description, icon, hot key); a new link, also in place of a file that is no link, has
  /// only the target.
  virtual bool WriteShortcut(const std::wstring& link_file, const std::wstring& target,
                             std::wstring* error) = 0;
  /// The target of the shell link `link_file` (which may be `*target` itself). False when
  /// there is none: `error` says why, or stays empty when no file `link_file` exists.
  virtual bool ReadShortcut(const std::wstring& link_file, std::wstring* target,
                            std::wstring* error) = 0;
  /// Deletes the file `link_file`; one that does not exist is no error.
  virtual bool DeleteShortcut(const std::wstring& link_file, std::wstring* error) = 0;
  /// Opens `uri` ("ms-settings:...") with the program registered for its scheme, as
  /// ShellExecuteExW does, without waiting. False with `error`.
  virtual bool OpenUri(const std::wstring& uri, std::wstring* error) = 0;
};

/// The settings window of this run, made for the run's state (which it reads and changes).
class SettingsWindow {
 public:
  virtual ~SettingsWindow() = default;
  /// Shows the window modally; returns when it has closed.
  virtual void ShowModal() = 0;
};

/// Every service the core uses, owned elsewhere (the Win32 layer or a test).
struct Platform {
  AppFacts App;
  MessageBoxes* messages = nullptr;
  FileSystem* files = nullptr;
  ProfileStore* profile = nullptr;
  ProcessStarter* processes = nullptr;
  Environment* environment = nullptr;
  WordAutomation* word = nullptr;
  FileDialog* dialog = nullptr;
  Registry* registry = nullptr;
  Shell* shell = nullptr;
  SettingsWindow* window = nullptr;
  Associations* associations = nullptr;

  /// Message box with the application title as caption.
  void MsgBox(const std::wstring& prompt, MsgIcon icon) {
    messages->MsgBox(prompt, icon, App.Title);
  }
  /// Yes/No question with the application title as caption; true for Yes.
  bool Ask(const std::wstring& prompt, MsgIcon icon,
           DefaultAnswer default_answer = DefaultAnswer::kYes) {
    return messages->Ask(prompt, icon, App.Title, default_answer);
  }
};

/// True when the file `path` is Talvern: its version information names Talvern (the running
/// executable's does too) or, unreadable, it is the running executable compared as a file.
bool IsTalvern(Platform& p, const std::wstring& path);

}  // namespace talvern

#endif  // TALVERN_PLATFORM_PLATFORM_H_
