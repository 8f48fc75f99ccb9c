// What the menu probe (a DLL that a message hook loads into the process of a window under
// test) and the test program that asks it share. Under Wine a process cannot read another
// process's menus, so the probe reads the window's system menu from inside.
#ifndef TALVERN_TESTS_HARNESS_MENU_PROBE_H_
#define TALVERN_TESTS_HARNESS_MENU_PROBE_H_

#include <windows.h>

/// Registered message posted to the window: the probe answers it instead of the window.
constexpr wchar_t kMenuProbeMessage[] = L"TalvernTestsMenuProbe";
/// Shared memory holding a MenuProbeReport and the event set when it is filled; each name
/// is followed by the probed process's id.
constexpr wchar_t kMenuProbeMapping[] = L"TalvernTestsMenuProbeReport.";
constexpr wchar_t kMenuProbeDone[] = L"TalvernTestsMenuProbeDone.";

struct MenuProbeItem {
  UINT id;
  UINT type;   ///< MFT_* (MFT_SEPARATOR for a separator).
  UINT state;  ///< MFS_* (MFS_CHECKED, MFS_DISABLED...).
  wchar_t text[96];
};

struct MenuProbeReport {
  LONG count;  ///< items in the menu; -1 when the window has no system menu.
  MenuProbeItem items[32];
};

/// Name of the probe's export: a function without arguments that returns its hook procedure
/// for WH_GETMESSAGE.
constexpr char kMenuProbeExport[] = "MenuProbeHook";

#endif  // TALVERN_TESTS_HARNESS_MENU_PROBE_H_
