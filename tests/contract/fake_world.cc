// The contract's world natively: the fakes, set up as the cases ask.
#include "tests/contract/contract.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_profile.h"
#include "tests/fakes/fake_registry.h"

namespace talvern {
namespace {

class FakeWorld : public ContractWorld {
 public:
  FakeWorld() {
    files_.folders.insert(Folder());
    // The code page these fakes stand for (932) lacks the Hangul the cases store.
    profile_.unstorable = L"한";
  }
  Registry& registry() override { return registry_; }
  ProfileStore& profile() override { return profile_; }
  FileSystem& files() override { return files_; }
  std::wstring Folder() override { return L"C:\\Contract"; }
  void MakeFile(const std::wstring& path, const std::string& bytes) override {
    files_.files[path] = bytes;
  }
  void MakeFolder(const std::wstring& path) override { files_.folders.insert(path); }
  void Link(const std::wstring& path, const std::wstring& other) override {
    files_.files[other] = files_.files[path];
    files_.aliases[other] = path;
  }
  void Lock(const std::wstring& path) override {
    profile_.read_locks[path] =
        L"CreateFileW: The process cannot access the file because it is being used by another "
        L"process.";
  }
  bool MergesUserClasses() override { return true; }

 private:
  FakeRegistry registry_;
  FakeProfile profile_;
  FakeFileSystem files_;
};

}  // namespace

std::unique_ptr<ContractWorld> NewContractWorld() { return std::make_unique<FakeWorld>(); }

}  // namespace talvern
