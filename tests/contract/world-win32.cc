// The contract's world on Windows: the Win32 implementations, with a folder under the temp
// folder and registry keys of the cases' own, all removed when the world ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/platform-win32.h"
#include "shell/services-win32.h"
#include "tests/contract/contract.h"

namespace talvern {
namespace {

// The keys the cases write: their trees go before and after each case.
const struct {
  HKEY root;
  const wchar_t* path;
} kOwnKeys[] = {
    {HKEY_CURRENT_USER, L"Software\\TalvernContract"},
    {HKEY_CURRENT_USER, L"Software\\Classes\\TalvernContract.Doc"},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\TalvernContract.Doc"},
};

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

class Win32World : public ContractWorld {
 public:
  Win32World() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    folder_ =
        std::wstring(temp, length) + L"talvern-contract-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
    ClearKeys();
  }
  ~Win32World() override {
    for (HANDLE held : held_) {
      if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    }
    RemoveTree(folder_);
    ClearKeys();
  }
  Registry& registry() override { return *registry_; }
  ProfileStore& profile() override { return *profile_; }
  FileSystem& files() override { return *files_; }
  std::wstring Folder() override { return folder_; }
  void MakeFile(const std::wstring& path, const std::string& bytes) override {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(file);
  }
  void MakeFolder(const std::wstring& path) override {
    EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << GetLastError();
  }
  void Link(const std::wstring& path, const std::wstring& other) override {
    EXPECT_TRUE(CreateHardLinkW(other.c_str(), path.c_str(), nullptr)) << GetLastError();
  }
  void Lock(const std::wstring& path) override {
    held_.push_back(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_NE(held_.back(), INVALID_HANDLE_VALUE) << GetLastError();
  }
  bool MergesUserClasses() override {
    // Wine keeps HKEY_CLASSES_ROOT as the machine's classes alone.
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return !ntdll || !GetProcAddress(ntdll, "wine_get_version");
  }

 private:
  static void ClearKeys() {
    for (const auto& key : kOwnKeys) RegDeleteTreeW(key.root, key.path);
  }

  std::unique_ptr<Registry> registry_ = NewWin32Registry();
  std::unique_ptr<ProfileStore> profile_ = NewWin32ProfileStore();
  std::unique_ptr<FileSystem> files_ = NewWin32FileSystem();
  std::wstring folder_;
  std::vector<HANDLE> held_;
};

}  // namespace

std::unique_ptr<ContractWorld> NewContractWorld() { return std::make_unique<Win32World>(); }

}  // namespace talvern
