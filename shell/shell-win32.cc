// The SendTo folder and shell links through shell32 and COM, loaded on first use: only the
// settings window gets here.
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include "platform/com_ref-win32.h"
#include "platform/platform-win32.h"
#include "shell/services-win32.h"

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

// A shell link object and its file interface; false with `error` when either is missing.
bool NewLink(ComRef<IShellLinkW>* link, ComRef<IPersistFile>* file, std::wstring* error) {
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link->out());
  if (FAILED(hr)) {
    *error = HResultText(L"CoCreateInstance(ShellLink)", hr);
    return false;
  }
  hr = (*link)->QueryInterface(IID_IPersistFile, file->out());
  if (FAILED(hr)) {
    *error = HResultText(L"IShellLinkW::QueryInterface(IPersistFile)", hr);
    return false;
  }
  return true;
}

// With `load`, the link already at `link_file` gets the new target and keeps what else the
// user set on it (description, icon, hot key); a file that is no link gets a new one.
bool SaveLink(const std::wstring& link_file, const std::wstring& target, bool load,
              std::wstring* error) {
  ComRef<IShellLinkW> link;
  ComRef<IPersistFile> file;
  if (!NewLink(&link, &file, error)) return false;
  // A failed load may leave the object half filled: the new link starts from a clean one.
  if (load && FAILED(file->Load(link_file.c_str(), STGM_READ))) {
    return SaveLink(link_file, target, false, error);
  }
  HRESULT hr = link->SetPath(target.c_str());
  if (FAILED(hr)) {
    *error = HResultText(L"IShellLinkW::SetPath", hr);
    return false;
  }
  hr = file->Save(link_file.c_str(), TRUE);
  if (FAILED(hr)) {
    *error = HResultText(L"IPersistFile::Save", hr);
    return false;
  }
  return true;
}

bool LoadLinkTarget(const std::wstring& link_file, std::wstring* target, std::wstring* error) {
  ComRef<IShellLinkW> link;
  ComRef<IPersistFile> file;
  if (!NewLink(&link, &file, error)) return false;
  HRESULT hr = file->Load(link_file.c_str(), STGM_READ);
  if (FAILED(hr)) {
    *error = HResultText(L"IPersistFile::Load", hr);
    return false;
  }
  // The raw path: a moved target must read as the path the link holds, not as a guess. A
  // link may hold a path longer than MAX_PATH, so the buffer takes the longest there is.
  std::wstring path(32768, L'\0');
  hr = link->GetPath(&path[0], static_cast<int>(path.size()), nullptr, SLGP_RAWPATH);
  if (FAILED(hr)) {
    *error = HResultText(L"IShellLinkW::GetPath", hr);
    return false;
  }
  path.resize(wcslen(path.c_str()));
  *target = path;
  return true;
}

bool KnownFolder(REFKNOWNFOLDERID id, const wchar_t* call, std::wstring* folder,
                 std::wstring* error) {
  // Allocated to fit: a profile in a deep folder does not fit a MAX_PATH buffer. Without
  // KF_FLAG_DONT_VERIFY a folder that does not exist is an error.
  wchar_t* path = nullptr;
  HRESULT hr = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path);
  if (SUCCEEDED(hr) && (path == nullptr || path[0] == L'\0')) {
    hr = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
  }
  if (SUCCEEDED(hr)) *folder = path;
  CoTaskMemFree(path);
  if (FAILED(hr)) *error = HResultText(call, hr);
  return SUCCEEDED(hr);
}

class Win32Shell : public Shell {
 public:
  bool SendToFolder(std::wstring* folder, std::wstring* error) override {
    return KnownFolder(FOLDERID_SendTo, L"SHGetKnownFolderPath(FOLDERID_SendTo)", folder, error);
  }

  bool DocumentsFolder(std::wstring* folder, std::wstring* error) override {
    return KnownFolder(FOLDERID_Documents, L"SHGetKnownFolderPath(FOLDERID_Documents)", folder,
                       error);
  }

  bool WriteShortcut(const std::wstring& link_file, const std::wstring& target,
                     std::wstring* error) override {
    ComScope com;
    if (!com.usable()) {
      *error = HResultText(L"CoInitializeEx", com.result());
      return false;
    }
    return SaveLink(link_file, target, true, error);
  }

  bool ReadShortcut(const std::wstring& link_file, std::wstring* target,
                    std::wstring* error) override {
    error->clear();
    if (GetFileAttributesW(link_file.c_str()) == INVALID_FILE_ATTRIBUTES) {
      const DWORD code = GetLastError();
      if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
        *error = Win32ErrorText(L"GetFileAttributesW", code);
      }
      return false;
    }
    ComScope com;
    if (!com.usable()) {
      *error = HResultText(L"CoInitializeEx", com.result());
      return false;
    }
    return LoadLinkTarget(link_file, target, error);
  }

  bool DeleteShortcut(const std::wstring& link_file, std::wstring* error) override {
    if (DeleteFileW(link_file.c_str())) return true;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;
    *error = Win32ErrorText(L"DeleteFileW", code);
    return false;
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
