#include <objidl.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "tests/shell/shell_helpers.h"

namespace talvern {
namespace e2e {
namespace {

std::wstring WithSeparator(const std::wstring& folder) {
  return folder.empty() || folder.back() == L'\\' ? folder : folder + L"\\";
}

bool SetDacl(HKEY key, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    return false;
  }
  const bool ok = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
  LocalFree(descriptor);
  return ok;
}

void DeleteClassTree(HKEY root, const std::wstring& key) {
  UnlockTree(root, key);
  RegDeleteTreeW(root, key.c_str());
}

/// Runs `use` on the shell link loaded from `link_file` with `mode`; false with `error`.
template <typename Use>
bool WithLink(const std::wstring& link_file, DWORD mode, Use use, std::wstring* error) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link));
  if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (SUCCEEDED(hr)) hr = file->Load(link_file.c_str(), mode);
  if (SUCCEEDED(hr)) hr = use(link, file);
  if (FAILED(hr)) *error = ErrorText(L"IShellLinkW", static_cast<DWORD>(hr));
  if (file) file->Release();
  if (link) link->Release();
  if (SUCCEEDED(init)) CoUninitialize();
  return SUCCEEDED(hr);
}

void Clean() {
  DeleteClassTree(HKEY_CLASSES_ROOT, kClassKey);
  DeleteClassTree(HKEY_CURRENT_USER, std::wstring(kUserClasses) + kClassKey);
  for (const wchar_t* key : {kTalvernClass, kTalvernKey, L"Software\\Classes\\.doc"}) {
    DeleteClassTree(HKEY_CURRENT_USER, key);
  }
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRegisteredKey, L"Talvern");
}

}  // namespace

ClassesGuard::ClassesGuard() { Clean(); }

ClassesGuard::~ClassesGuard() { Clean(); }

bool ReadDefault(HKEY root, const std::wstring& key, DWORD* type, std::wstring* value) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  bool ok = RegQueryValueExW(opened, nullptr, nullptr, type, nullptr, &size) == ERROR_SUCCESS;
  if (ok) {
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    ok = RegQueryValueExW(opened, nullptr, nullptr, type, reinterpret_cast<BYTE*>(&data[0]),
                          &size) == ERROR_SUCCESS;
    if (ok) *value = data.c_str();
  }
  RegCloseKey(opened);
  return ok;
}

bool LockKeys(HKEY root, const std::vector<std::wstring>& keys) {
  // All keys first: on Windows a locked parent would refuse its new children.
  for (const std::wstring& key : keys) {
    HKEY created;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(created);
  }
  bool ok = true;
  for (const std::wstring& key : keys) {
    HKEY opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, WRITE_DAC, &opened) != ERROR_SUCCESS) {
      ok = false;
      continue;
    }
    ok = SetDacl(opened, L"D:P(A;;KR;;;WD)") && ok;
    RegCloseKey(opened);
  }
  return ok;
}

void UnlockTree(HKEY root, const std::wstring& key) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, WRITE_DAC, &opened) == ERROR_SUCCESS) {
    SetDacl(opened, L"D:(A;;KA;;;WD)");
    RegCloseKey(opened);
  }
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &opened) != ERROR_SUCCESS) {
    return;
  }
  std::vector<std::wstring> children;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    children.push_back(name);
  }
  RegCloseKey(opened);
  for (const std::wstring& child : children) UnlockTree(root, key + L"\\" + child);
}

bool Install(const std::wstring& folder, const std::wstring& name, Installation* out) {
  const std::wstring base = WithSeparator(folder);
  out->exe = CopyTalvern(base, name);
  out->word = base + L"Word\\WINWORD.EXE";
  out->text = base + L"Editor\\notepad.exe";
  return !out->exe.empty() && InstallStandIn(out->word) && InstallStandIn(out->text) &&
         WriteDataIni(base, DataIniBytes(out->word, out->text));
}

std::unique_ptr<SettingsRun> SettingsRun::Open(const std::wstring& exe, std::wstring* error) {
  std::unique_ptr<SettingsRun> session(new SettingsRun);
  session->run_ = ProgramRun::Start(exe, L"", error);
  if (!session->run_) return nullptr;
  session->window_ = WaitForWindow(session->run_->pid(), kWindowCaption);
  if (!session->window_) {
    *error = L"the settings window did not appear";
    return nullptr;
  }
  return session;
}

SettingsRun::~SettingsRun() { Close(); }

MessageBoxInfo SettingsRun::Click(const std::wstring& caption, int answer) {
  HWND button = FindControl(window_, caption);
  if (!button) return MessageBoxInfo();
  ClickButton(button);
  const HWND box = WaitForMessageBox(run_->pid());
  MessageBoxInfo info = box ? ReadMessageBox(box) : MessageBoxInfo();
  if (box && !(answer == IDOK ? DismissMessageBox(box) : AnswerBox(box, answer))) info.hwnd = {};
  return info;
}

bool SettingsRun::Close() {
  if (window_ && IsWindow(window_)) CloseWindowAndWait(window_);
  window_ = nullptr;
  return run_->WaitAllEnded();
}

std::wstring SendToFolder() {
  wchar_t folder[MAX_PATH] = L"";
  if (SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) {
    return std::wstring();
  }
  return folder;
}

bool ResolveLink(const std::wstring& link_file, std::wstring* target, std::wstring* error,
                 std::wstring* description) {
  return WithLink(
      link_file, STGM_READ,
      [&](IShellLinkW* link, IPersistFile*) {
        wchar_t path[MAX_PATH] = L"", text[INFOTIPSIZE] = L"";
        HRESULT hr = link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
        if (SUCCEEDED(hr)) hr = link->GetDescription(text, INFOTIPSIZE);
        *target = path;
        if (description) *description = text;
        return hr;
      },
      error);
}

bool DescribeLink(const std::wstring& link_file, const std::wstring& description,
                  std::wstring* error) {
  return WithLink(
      link_file, STGM_READWRITE,
      [&](IShellLinkW* link, IPersistFile* file) {
        const HRESULT hr = link->SetDescription(description.c_str());
        return SUCCEEDED(hr) ? file->Save(link_file.c_str(), TRUE) : hr;
      },
      error);
}

bool ShellStart(const std::wstring& link_file, const std::wstring& parameters,
                std::wstring* error) {
  HANDLE process = nullptr;
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = link_file.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) {
    *error = ErrorText(L"ShellExecuteExW", GetLastError());
    return false;
  }
  process = info.hProcess;
  if (process) CloseHandle(process);
  return true;
}

std::string CompoundBytes() {
  return std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0');
}

std::string PlainTextBytes() { return "Plain text that only carries a .doc name.\r\n"; }

}  // namespace e2e
}  // namespace talvern
