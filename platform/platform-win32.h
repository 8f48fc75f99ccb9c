// The Win32 implementations of platform/'s interfaces and the Win32 helpers every folder
// shares. The folders above declare their own factories; app/main-win32.cc wires them.
#ifndef TALVERN_PLATFORM_PLATFORM_WIN32_H_
#define TALVERN_PLATFORM_PLATFORM_WIN32_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {

/// "Function: system message text" for a Win32 error code.
std::wstring Win32ErrorText(const wchar_t* function, unsigned long code);

/// Full path of the running executable, however long; false with `error` when the system
/// cannot give it.
bool RunningExecutable(std::wstring* path, std::wstring* error);

/// `path` as file functions take it at any length: beyond MAX_PATH the "\\?\" form of the
/// full path; shorter paths as given.
std::wstring ReachablePath(const std::wstring& path);
/// The existing `path` opened for `access` (a HANDLE), shared with every other program;
/// never created. INVALID_HANDLE_VALUE on failure.
void* OpenExisting(const std::wstring& path, unsigned long access);
/// Closes a file held open, releasing its lock at once (CloseHandle's type).
int __stdcall UnlockAndClose(void* file);

/// `path` as given, then its short and long forms where they differ (each form once).
std::vector<std::wstring> PathForms(const std::wstring& path);

// platform/platform-win32.cc (kernel32 only, so dispatch loads nothing else).
std::unique_ptr<MessageBoxes> NewWin32MessageBoxes();
std::unique_ptr<FileSystem> NewWin32FileSystem();
std::unique_ptr<ProfileStore> NewWin32ProfileStore();
std::unique_ptr<ProcessStarter> NewWin32ProcessStarter();
std::unique_ptr<Environment> NewWin32Environment();

/// From now on every message is one line on the starter's console (or on the standard
/// output it redirected), and every question is answered No (platform/console-win32.cc).
void SendMessagesToConsole();
/// After SendMessagesToConsole: writes `prompt` so (a question without its last line, the
/// question itself) and returns true; before it, false.
bool MessageAsConsoleLine(const std::wstring& prompt, bool question);

/// Window that message boxes are owned by while the settings window is open (or null).
void SetMessageOwner(void* window);

/// The running Windows' build number, as ntdll's RtlGetVersion gives it; 0 when unknown.
unsigned long WindowsBuild();

/// The InternalName of the version information of the program open as `file` (a HANDLE
/// with read access), read from its bytes; empty when it has none.
std::wstring VersionInternalName(void* file);

}  // namespace talvern

#endif  // TALVERN_PLATFORM_PLATFORM_WIN32_H_
