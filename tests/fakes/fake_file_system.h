// Files as byte strings in memory.
#ifndef TALVERN_TESTS_FAKES_FAKE_FILE_SYSTEM_H_
#define TALVERN_TESTS_FAKES_FAKE_FILE_SYSTEM_H_

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {

class FakeProfile;

/// Files as byte strings; folders as a set; paths compared exactly, but SameFile ignores
/// case and follows `aliases`. A settings file that `profile` holds exists too.
class FakeFileSystem : public FileSystem {
 public:
  bool FileExists(const std::wstring& path) override;
  std::unique_ptr<ByteReader> OpenForRead(const std::wstring& path, std::wstring* error) override;
  bool ProbePlainFile(const std::wstring& path) override;
  bool SameFile(const std::wstring& a, const std::wstring& b) override;
  bool ReadInternalName(const std::wstring& path, std::wstring* name) override;

  std::map<std::wstring, std::wstring> aliases;         ///< path -> the file it also names.
  std::map<std::wstring, std::wstring> internal_names;  ///< program -> its InternalName.

  std::map<std::wstring, std::string> files;
  const FakeProfile* profile = nullptr;
  std::set<std::wstring> folders;
  std::set<std::wstring> hidden;                      ///< files the plain-file probe skips.
  std::map<std::wstring, std::wstring> open_errors;   ///< path -> reason it cannot be opened.
  std::map<std::wstring, std::uint64_t> read_errors;  ///< path -> first position that fails.
  std::map<std::wstring, int> bytes_read;             ///< path -> bytes read so far.
  std::vector<std::wstring> exists_asked;             ///< every FileExists argument, in order.
  /// path -> reads of the first bytes at once (ReadStart), and the reason they fail there.
  std::map<std::wstring, int> start_reads;
  std::map<std::wstring, std::wstring> start_read_errors;
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_FILE_SYSTEM_H_
