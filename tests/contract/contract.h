// The contract suite: cases that hold any implementation of the registry, the profile store
// and the file system to what Windows does. contract_test.cc runs them natively against the
// fakes (fake_world.cc) and under Wine against the Win32 implementations (world-win32.cc).
#ifndef TALVERN_TESTS_CONTRACT_CONTRACT_H_
#define TALVERN_TESTS_CONTRACT_CONTRACT_H_

#include <memory>
#include <string>

#include "platform/platform.h"

namespace talvern {

/// The system under test and a scratch place of its own, cleared when the world ends.
class ContractWorld {
 public:
  virtual ~ContractWorld() = default;
  virtual Registry& registry() = 0;
  virtual ProfileStore& profile() = 0;
  virtual FileSystem& files() = 0;
  /// An empty folder for the case's files: a full path without a trailing "\".
  virtual std::wstring Folder() = 0;
  virtual void MakeFile(const std::wstring& path, const std::string& bytes) = 0;
  virtual void MakeFolder(const std::wstring& path) = 0;
  /// Gives the existing file `path` the second name `other` (a hard link).
  virtual void Link(const std::wstring& path, const std::wstring& other) = 0;
  /// Keeps `path` open without sharing, as another program may, until the world ends.
  virtual void Lock(const std::wstring& path) = 0;
  /// False where HKEY_CLASSES_ROOT shows only the machine's classes (Wine).
  virtual bool MergesUserClasses() = 0;
};

/// The world of this build: the fakes natively, the Win32 implementations on Windows.
std::unique_ptr<ContractWorld> NewContractWorld();

}  // namespace talvern

#endif  // TALVERN_TESTS_CONTRACT_CONTRACT_H_
