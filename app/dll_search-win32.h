// Where the program looks for the DLLs it loads by name: in the system folder only.
#ifndef TALVERN_APP_DLL_SEARCH_WIN32_H_
#define TALVERN_APP_DLL_SEARCH_WIN32_H_

namespace talvern {

/// Takes the program's own and the current folder out of the DLL search of the process;
/// the first thing the program does, before any DLL beyond kernel32 and msvcrt loads.
/// The delay-load helper then loads every DLL from the system folder.
void RestrictDllSearch();

}  // namespace talvern

#endif  // TALVERN_APP_DLL_SEARCH_WIN32_H_
