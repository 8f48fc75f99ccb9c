// Reading a window's system menu from a test program through the menu probe.
#include <memory>
#include <string>
#include <type_traits>

#include "tests/harness/menu_probe.h"
#include "tests/harness/window_driver.h"

namespace talvern {
namespace e2e {

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct ModuleFreer {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};

struct Unhooker {
  void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};

struct Unmapper {
  void operator()(MenuProbeReport* report) const { UnmapViewOfFile(report); }
};

}  // namespace

bool SystemMenuItems(HWND window, std::vector<MenuItem>* items, std::wstring* error) {
  DWORD pid = 0;
  const DWORD thread = GetWindowThreadProcessId(window, &pid);
  if (!thread) {
    *error = ErrorText(L"GetWindowThreadProcessId", GetLastError());
    return false;
  }
  const std::wstring suffix = std::to_wstring(pid);
  Handle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof(MenuProbeReport), (kMenuProbeMapping + suffix).c_str()));
  Handle done(CreateEventW(nullptr, FALSE, FALSE, (kMenuProbeDone + suffix).c_str()));
  if (!mapping || !done) {
    *error = ErrorText(L"CreateFileMappingW/CreateEventW", GetLastError());
    return false;
  }
  std::unique_ptr<MenuProbeReport, Unmapper> report(
      static_cast<MenuProbeReport*>(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0)));
  std::unique_ptr<std::remove_pointer<HMODULE>::type, ModuleFreer> probe(
      LoadLibraryW(FromUnixPath(TALVERN_E2E_MENU_PROBE_DLL).c_str()));
  if (!report || !probe) {
    *error = ErrorText(L"MapViewOfFile/LoadLibraryW", GetLastError());
    return false;
  }
  auto hook_of = reinterpret_cast<HOOKPROC (*)()>(
      reinterpret_cast<void*>(GetProcAddress(probe.get(), kMenuProbeExport)));
  if (!hook_of) {
    *error = ErrorText(L"GetProcAddress", GetLastError());
    return false;
  }
  std::unique_ptr<std::remove_pointer<HHOOK>::type, Unhooker> hook(
      SetWindowsHookExW(WH_GETMESSAGE, hook_of(), probe.get(), thread));
  if (!hook) {
    *error = ErrorText(L"SetWindowsHookExW", GetLastError());
    return false;
  }
  report->count = -2;
  PostMessageW(window, RegisterWindowMessageW(kMenuProbeMessage), 0, 0);
  if (WaitForSingleObject(done.get(), kPatience) != WAIT_OBJECT_0) {
    *error = L"the menu probe did not answer";
    return false;
  }
  if (report->count < 0) {
    *error = L"the window has no system menu";
    return false;
  }
  items->clear();
  for (LONG i = 0; i < report->count && i < 32; ++i) {
    const MenuProbeItem& probed = report->items[i];
    MenuItem item;
    item.id = probed.id;
    item.separator = (probed.type & MFT_SEPARATOR) != 0;
    item.checked = (probed.state & MFS_CHECKED) != 0;
    item.enabled = (probed.state & MFS_DISABLED) == 0;
    item.text = probed.text;
    items->push_back(item);
  }
  return true;
}

}  // namespace e2e
}  // namespace talvern
