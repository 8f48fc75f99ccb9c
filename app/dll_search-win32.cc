// Talvern is unzipped and run from wherever the user put it, often the Downloads folder,
// where a DLL named like a system one may lie beside it. Windows looks in the program's
// folder first, so every DLL is loaded from the system folder instead.
// clang-format off
#include <windows.h>
#include <delayimp.h>
// clang-format on

#include "app/dll_search-win32.h"

#include <string>

namespace talvern {

namespace {

// LoadLibraryExW understands LOAD_LIBRARY_SEARCH_SYSTEM32 wherever SetDefaultDllDirectories
// exists (Windows 8, and Windows 7 with update KB2533623).
bool search_flags_known = false;

// What the helper raises for a DLL it cannot load:
// VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND).
constexpr DWORD kDllNotFound = 0xC06D007E;

HMODULE LoadFromSystemFolder(const char* dll) {
  std::wstring path;
  if (!search_flags_known) {
    // Without the flag, a full path keeps the program's folder out.
    const UINT size = GetSystemDirectoryW(nullptr, 0);
    if (size == 0) return nullptr;
    path.resize(size);
    const UINT length = GetSystemDirectoryW(&path[0], size);
    if (length == 0 || length >= size) return nullptr;
    path.resize(length);
    path += L'\\';
  }
  // The delay-load tables name each DLL in ASCII.
  for (const char* c = dll; *c != '\0'; ++c) {
    path += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  }
  // A full path sends the search for the DLL's own imports to its folder first.
  return LoadLibraryExW(
      path.c_str(), nullptr,
      search_flags_known ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Asked by the delay-load helper before it loads a DLL: it takes the module returned.
FARPROC WINAPI SystemFolderOnly(unsigned notify, PDelayLoadInfo info) {
  if (notify != dliNotePreLoadLibrary) return nullptr;
  HMODULE module = LoadFromSystemFolder(info->szDll);
  if (module == nullptr) {
    // Given nothing, the helper would look again by bare name in the program's folder:
    // fail as it fails instead.
    info->dwLastError = GetLastError();
    const ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(info);
    RaiseException(kDllNotFound, 0, 1, &argument);
  }
  return reinterpret_cast<FARPROC>(module);
}

}  // namespace

void RestrictDllSearch() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  // Looked up, since Windows 7 without the update lacks it.
  const auto set_default_dll_directories =
      reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (set_default_dll_directories != nullptr &&
      set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    search_flags_known = true;
  } else {
    // At least the current folder leaves the search.
    SetDllDirectoryW(L"");
  }
}

}  // namespace talvern

// MSVC's delayimp.h declares the hook read-only, MinGW's writable.
#if defined(_MSC_VER)
#define TALVERN_DELAY_HOOK_CONST const
#else
#define TALVERN_DELAY_HOOK_CONST
#endif
// Defines what delayimp.h declares (extern "C"); the name is the helper's.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
TALVERN_DELAY_HOOK_CONST PfnDliHook __pfnDliNotifyHook2 = &talvern::SystemFolderOnly;
