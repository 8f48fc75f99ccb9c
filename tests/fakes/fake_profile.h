// The settings file's values in memory.
#ifndef TALVERN_TESTS_FAKES_FAKE_PROFILE_H_
#define TALVERN_TESTS_FAKES_FAKE_PROFILE_H_

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace talvern {

/// INI values keyed by file, section and key (names without regard to case). Like the
/// profile functions, a write stores "?" for each character the code page lacks.
class FakeProfile : public ProfileStore {
 public:
  std::wstring Read(const std::wstring& file, const std::wstring& section,
                    const std::wstring& key) override;
  bool Contains(const std::wstring& file, const std::wstring& section,
                const std::wstring& key) override;
  bool CanStoreExactly(const std::wstring& text, std::wstring* why) override;
  bool Write(const std::wstring& file, const std::wstring& section, const std::wstring& key,
             const std::wstring& value, std::wstring* error) override;
  bool Delete(const std::wstring& file, const std::wstring& section, const std::wstring& key,
              std::wstring* error) override;
  bool HoldForReading(const std::wstring& file, std::shared_ptr<void>* hold, std::wstring* error,
                      bool* in_use) override;
  bool RemoveFile(const std::wstring& file, std::wstring* error) override;
  /// True when any key of `file` is stored, or `file` is in `empty_files`.
  bool HasFile(const std::wstring& file) const;

  using Key = std::tuple<std::wstring, std::wstring, std::wstring>;
  static Key MakeKey(const std::wstring& file, const std::wstring& section,
                     const std::wstring& key);
  std::map<Key, std::wstring> values;
  std::vector<std::tuple<std::wstring, std::wstring, std::wstring>> writes;  ///< section,key,value
  std::vector<std::pair<std::wstring, std::wstring>> deletes;                ///< section,key
  std::set<std::wstring> empty_files;  ///< files that exist without a key (written, emptied).
  std::vector<std::wstring> removed;   ///< every file removed, in order.
  std::map<std::wstring, std::wstring> read_locks;  ///< file -> why it cannot be opened to read.
  std::set<std::wstring> lasting_read_errors;  ///< files of read_locks that no other program holds.
  std::wstring unstorable;                     ///< characters the code page lacks.
  std::wstring fail_reason;                    ///< when set, every write and delete fails with it.
  std::map<std::wstring, std::wstring> key_failures;  ///< key (any case) -> why its writes fail.
  int writes_allowed = -1;  ///< writes and deletes that succeed before all fail; -1: no limit.

 private:
  bool Refused(const std::wstring& key, std::wstring* error);
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_PROFILE_H_
