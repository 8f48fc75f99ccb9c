// The common open-file dialog.
// windows.h comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <commdlg.h>
// clang-format on

#include <algorithm>
#include <vector>

#include "platform/platform-win32.h"
#include "window/form1-win32.h"

namespace talvern {

namespace {

// Room for the longest path the file system can hand back.
constexpr DWORD kPathRoom = 32768;

// "description|pattern|..." becomes the dialog's NUL-separated list with a final NUL pair.
std::wstring FilterList(const std::wstring& filter) {
  std::wstring list = filter;
  std::replace(list.begin(), list.end(), L'|', L'\0');
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

class Win32FileDialog : public FileDialog {
 public:
  std::wstring ShowOpen(void* owner, const std::wstring& filter, const std::wstring& initial_folder,
                        FileChoice choice, std::wstring* error) override {
    const std::wstring filters = FilterList(filter);
    std::vector<wchar_t> file(kPathRoom, L'\0');  // no preset name
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = static_cast<HWND>(owner);
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = kPathRoom;
    ofn.lpstrInitialDir = initial_folder.empty() ? nullptr : initial_folder.c_str();
    // No read-only box: the file is only named. The chosen folder must not become the current
    // folder, which would keep a USB stick or network folder busy while the window is open.
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (choice == FileChoice::kExistingFile) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&ofn)) {
      // Zero means the user cancelled; anything else is the dialog's own failure, which
      // has no system message text, only its code (CDERR_*, FNERR_*).
      if (const DWORD code = CommDlgExtendedError()) {
        wchar_t hex[16];
        wsprintfW(hex, L"0x%04X", static_cast<unsigned>(code));
        *error = std::wstring(L"GetOpenFileNameW: CommDlgExtendedError ") + hex;
      }
      return std::wstring();
    }
    return std::wstring(file.data());
  }
};

}  // namespace

std::unique_ptr<FileDialog> NewWin32FileDialog() { return std::make_unique<Win32FileDialog>(); }

}  // namespace talvern
