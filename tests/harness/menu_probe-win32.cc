// The menu probe: a WH_GETMESSAGE hook that, inside the process of the window it is asked
// about, copies that window's system menu into the test program's shared memory.
#include <string>

#include "tests/harness/menu_probe.h"

namespace {

void Report(HWND window) {
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, (kMenuProbeMapping + pid).c_str());
  HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, (kMenuProbeDone + pid).c_str());
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
  if (view) {
    auto* report = static_cast<MenuProbeReport*>(view);
    HMENU menu = GetSystemMenu(window, FALSE);
    const int count = menu ? GetMenuItemCount(menu) : -1;
    report->count = count;
    for (int i = 0; i < count && i < 32; ++i) {
      MenuProbeItem& item = report->items[i];
      MENUITEMINFOW info = {};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
      info.dwTypeData = item.text;
      info.cch = sizeof(item.text) / sizeof(item.text[0]);
      item.text[0] = L'\0';
      GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
      item.id = info.wID;
      item.type = info.fType;
      item.state = info.fState;
    }
    UnmapViewOfFile(view);
  }
  if (done) SetEvent(done);
  if (done) CloseHandle(done);
  if (mapping) CloseHandle(mapping);
}

LRESULT CALLBACK ProbeHook(int code, WPARAM removed, LPARAM lparam) {
  static const UINT ask = RegisterWindowMessageW(kMenuProbeMessage);
  MSG* msg = reinterpret_cast<MSG*>(lparam);
  if (code == HC_ACTION && removed == PM_REMOVE && msg->message == ask) {
    Report(msg->hwnd);
    msg->message = WM_NULL;  // the window itself never sees the question
  }
  return CallNextHookEx(nullptr, code, removed, lparam);
}

}  // namespace

extern "C" __declspec(dllexport) HOOKPROC MenuProbeHook() { return ProbeHook; }
