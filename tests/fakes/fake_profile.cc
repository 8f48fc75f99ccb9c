#include "tests/fakes/fake_profile.h"

#include <iterator>

#include "settings/ini.h"
#include "tests/fakes/fake_text.h"

namespace talvern {

FakeProfile::Key FakeProfile::MakeKey(const std::wstring& file, const std::wstring& section,
                                      const std::wstring& key) {
  return Key(file, FakeLower(section), FakeLower(key));
}

std::wstring FakeProfile::Read(const std::wstring& file, const std::wstring& section,
                               const std::wstring& key) {
  // Like the profile functions, a file that cannot be opened reads as empty.
  if (read_locks.count(file)) return std::wstring();
  auto found = values.find(MakeKey(file, section, key));
  if (found == values.end()) return std::wstring();
  // The profile functions drop the blanks around a value and one pair of quotes: the one
  // rule the product has for it, which the contract suite holds to Windows' own reads.
  return ini::AsRead(found->second);
}

bool FakeProfile::Contains(const std::wstring& file, const std::wstring& section,
                           const std::wstring& key) {
  return read_locks.count(file) == 0 && values.count(MakeKey(file, section, key)) != 0;
}

bool FakeProfile::CanStoreExactly(const std::wstring& text, std::wstring* why) {
  if (text.find_first_of(unstorable) == std::wstring::npos) return true;
  *why = L"unstorable character";
  return false;
}

bool FakeProfile::Refused(const std::wstring& key, std::wstring* error) {
  for (const auto& failure : key_failures) {
    if (FakeLower(failure.first) != FakeLower(key)) continue;
    *error = failure.second;
    return true;
  }
  if (!fail_reason.empty() || writes_allowed == 0) {
    *error = fail_reason.empty() ? L"write refused" : fail_reason;
    return true;
  }
  if (writes_allowed > 0) --writes_allowed;
  return false;
}

bool FakeProfile::Write(const std::wstring& file, const std::wstring& section,
                        const std::wstring& key, const std::wstring& value, std::wstring* error) {
  if (Refused(key, error)) return false;
  std::wstring stored = value;
  for (wchar_t& c : stored) {
    if (unstorable.find(c) != std::wstring::npos) c = L'?';
  }
  values[MakeKey(file, section, key)] = stored;
  writes.emplace_back(section, key, value);
  return true;
}

bool FakeProfile::Delete(const std::wstring& file, const std::wstring& section,
                         const std::wstring& key, std::wstring* error) {
  if (Refused(key, error)) return false;
  values.erase(MakeKey(file, section, key));
  deletes.emplace_back(section, key);
  // The profile functions leave the file (and its section line) behind.
  empty_files.insert(file);
  return true;
}

bool FakeProfile::HasFile(const std::wstring& file) const {
  if (empty_files.count(file)) return true;
  for (const auto& entry : values) {
    if (std::get<0>(entry.first) == file) return true;
  }
  return false;
}

bool FakeProfile::HoldForReading(const std::wstring& file, std::shared_ptr<void>* hold,
                                 std::wstring* error, bool* in_use) {
  auto lock = read_locks.find(file);
  if (lock != read_locks.end()) {
    *error = lock->second;
    *in_use = lasting_read_errors.count(file) == 0;
    return false;
  }
  hold->reset();
  if (HasFile(file)) *hold = std::make_shared<int>(0);
  return true;
}

bool FakeProfile::RemoveFile(const std::wstring& file, std::wstring* error) {
  if (!fail_reason.empty()) {
    *error = fail_reason;
    return false;
  }
  for (auto entry = values.begin(); entry != values.end();) {
    entry = std::get<0>(entry->first) == file ? values.erase(entry) : std::next(entry);
  }
  empty_files.erase(file);
  removed.push_back(file);
  return true;
}

}  // namespace talvern
