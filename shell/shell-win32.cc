// The SendTo folder and shell links through shell32 and COM, loaded on first use: only the
// settings window gets here.
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include "platform/com_ref-win32.h"
#include "platform/platform-win32.h"

namespace talvern {
namespace {

std::wstring HResultText(const wchar_t* function, HRESULT hr) {
  // Win32 errors wrapped in an HRESULT read better as their plain code.
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) {
    return Win32ErrorText(function, static_cast<unsigned long>(HRESULT_CODE(hr)));
  }
  return Win32ErrorText(function, static_cast<unsigned long>(hr));
}

/// COM for the current thread for as long as the object lives, if it was not up already.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  /// False only when COM cannot be used on this thread at all.
  bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }
  HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};

bool SaveLink(const std::wstring& link_file, const std::wstring& target, std::wstring* error) {
  ComRef<IShellLinkW> link;
  HRESULT hr =
      CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.out());
  if (FAILED(hr)) {
    *error = HResultText(L"CoCreateInstance(ShellLink)", hr);
    return false;
  }
  hr = link->SetPath(target.c_str());
  if (FAILED(hr)) {
    *error = HResultText(L"IShellLinkW::SetPath", hr);
    return false;
  }
  ComRef<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, file.out());
  if (FAILED(hr)) {
    *error = HResultText(L"IShellLinkW::QueryInterface(IPersistFile)", hr);
    return false;
  }
  hr = file->Save(link_file.c_str(), TRUE);
  if (FAILED(hr)) {
    *error = HResultText(L"IPersistFile::Save", hr);
    return false;
  }
  return true;
}

class Win32Shell : public Shell {
 public:
  bool SendToFolder(void* owner, std::wstring* folder, std::wstring* error) override {
    wchar_t buffer[MAX_PATH] = L"";
    const HRESULT hr = SHGetFolderPathW(static_cast<HWND>(owner), CSIDL_SENDTO, nullptr,
                                        SHGFP_TYPE_CURRENT, buffer);
    // S_FALSE means the folder does not exist: as good as not found.
    if (hr != S_OK || buffer[0] == L'\0') {
      *error = SUCCEEDED(hr)
                   ? Win32ErrorText(L"SHGetFolderPathW(CSIDL_SENDTO)", ERROR_PATH_NOT_FOUND)
                   : HResultText(L"SHGetFolderPathW(CSIDL_SENDTO)", hr);
      return false;
    }
    *folder = buffer;
    return true;
  }

  bool WriteShortcut(const std::wstring& link_file, const std::wstring& target,
                     std::wstring* error) override {
    ComScope com;
    if (!com.usable()) {
      *error = HResultText(L"CoInitializeEx", com.result());
      return false;
    }
    return SaveLink(link_file, target, error);
  }

  bool OpenUri(const std::wstring& uri, std::wstring* error) override {
    // The protocol's handler may be a shell extension, which wants COM on this thread.
    ComScope com;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = uri.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) return true;
    *error = Win32ErrorText(L"ShellExecuteExW", GetLastError());
    return false;
  }
};

}  // namespace

std::unique_ptr<Shell> NewWin32Shell() { return std::make_unique<Win32Shell>(); }

}  // namespace talvern
