#include "platform/fake_platform.h"

#include <cwctype>
#include <iterator>

#include "platform/paths.h"

namespace talvern {

namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

const wchar_t* RootName(KeyRoot root) {
  switch (root) {
    case KeyRoot::kClasses:
      return L"HKCR";
    case KeyRoot::kMachineClasses:
      return L"HKLM";
    case KeyRoot::kUserClasses:
      return L"HKCU";
    case KeyRoot::kUserSoftware:
      return L"HKCU\\Software";
    case KeyRoot::kClasses64:
      return L"HKCR64";
    case KeyRoot::kClasses32:
      return L"HKCR32";
  }
  return L"?";
}

// Reads the fake file system's bytes of one path and counts what it reads there.
class FakeReader : public ByteReader {
 public:
  FakeReader(FakeFileSystem& files, const std::wstring& path) : files_(files), path_(path) {}
  Result ReadByte(std::uint64_t position, std::uint8_t* byte, std::wstring* error) override {
    auto read_error = files_.read_errors.find(path_);
    if (read_error != files_.read_errors.end() && position >= read_error->second) {
      *error = L"ReadFile: The device is not ready.";
      return Result::kError;
    }
    const std::string& bytes = files_.files[path_];
    if (position >= bytes.size()) return Result::kEnd;
    ++files_.bytes_read[path_];
    *byte = static_cast<std::uint8_t>(bytes[position]);
    return Result::kByte;
  }
  bool ReadStart(std::size_t max, std::string* out, std::wstring* error) override {
    ++files_.start_reads[path_];
    auto failure = files_.start_read_errors.find(path_);
    if (failure != files_.start_read_errors.end()) {
      *error = failure->second;
      return false;
    }
    auto read_error = files_.read_errors.find(path_);
    if (read_error != files_.read_errors.end() && read_error->second < max) {
      *error = L"ReadFile: The device is not ready.";
      return false;
    }
    *out = files_.files[path_].substr(0, max);
    files_.bytes_read[path_] += static_cast<int>(out->size());
    return true;
  }

 private:
  FakeFileSystem& files_;
  std::wstring path_;
};

}  // namespace

void FakeMessages::MsgBox(const std::wstring& prompt, MsgIcon icon, const std::wstring& title) {
  shown.push_back({prompt, icon, title});
  if (on_show) on_show();
}

bool FakeMessages::Ask(const std::wstring& prompt, MsgIcon icon, const std::wstring& title,
                       DefaultAnswer /*default_answer*/) {
  shown.push_back({prompt, icon, title, true});
  if (on_show) on_show();
  if (answers.empty()) return false;
  const bool yes = answers.front();
  answers.pop_front();
  return yes;
}

bool FakeFileSystem::FileExists(const std::wstring& path) {
  exists_asked.push_back(path);
  return files.count(path) != 0 || (profile && profile->HasFile(path));
}

bool FakeFileSystem::SameFile(const std::wstring& a, const std::wstring& b) {
  auto file = [this](const std::wstring& path) {
    return Lower(aliases.count(path) ? aliases.at(path) : path);
  };
  return file(a) == file(b);
}

bool FakeFileSystem::ReadInternalName(const std::wstring& path, std::wstring* name) {
  if (!files.count(path) || open_errors.count(path)) return false;
  *name = internal_names.count(path) ? internal_names.at(path) : std::wstring();
  return true;
}

std::unique_ptr<ByteReader> FakeFileSystem::OpenForRead(const std::wstring& path,
                                                        std::wstring* error) {
  auto failure = open_errors.find(path);
  if (failure != open_errors.end()) {
    *error = failure->second;
    return nullptr;
  }
  if (files.count(path) == 0) {
    *error = folders.count(path) ? L"Access is denied." : L"The system cannot find the file.";
    return nullptr;
  }
  return std::make_unique<FakeReader>(*this, path);
}

bool FakeFileSystem::ProbePlainFile(const std::wstring& path) {
  return files.count(path) != 0 && hidden.count(path) == 0;
}

FakeProfile::Key FakeProfile::MakeKey(const std::wstring& file, const std::wstring& section,
                                      const std::wstring& key) {
  return Key(file, Lower(section), Lower(key));
}

std::wstring FakeProfile::Read(const std::wstring& file, const std::wstring& section,
                               const std::wstring& key) {
  // Like the profile functions, a file that cannot be opened reads as empty.
  if (read_locks.count(file)) return std::wstring();
  auto found = values.find(MakeKey(file, section, key));
  return found == values.end() ? std::wstring() : found->second;
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
    if (Lower(failure.first) != Lower(key)) continue;
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

bool FakeProcesses::Start(const std::wstring& application, const std::wstring& command_line,
                          std::wstring* error) {
  auto failure = failures.find(application);
  if (failure != failures.end()) {
    *error = failure->second;
    return false;
  }
  started.push_back({application, command_line});
  return true;
}

std::wstring FakeEnvironment::Get(const std::wstring& name) {
  auto found = variables.find(name);
  return found == variables.end() ? std::wstring() : found->second;
}

bool FakeWord::QueryPath(const std::wstring& prog_id, std::wstring* out) {
  created.push_back(prog_id);
  if (!installed) return false;
  *out = folder;
  return true;
}

std::wstring FakeDialog::ShowOpen(void* owner, const std::wstring& filter,
                                  const std::wstring& initial_folder, FileChoice choice,
                                  std::wstring* error) {
  calls.push_back({owner, filter, initial_folder, choice});
  if (!failure.empty()) {
    *error = failure;
    return std::wstring();
  }
  if (answers.empty()) return std::wstring();
  std::wstring answer = answers.front();
  answers.pop_front();
  return answer;
}

KeyRoot FakeRegistry::Target(KeyRoot root, const std::wstring& key) const {
  if (root != KeyRoot::kClasses) return root;
  return Has(KeyRoot::kUserClasses, key) ? KeyRoot::kUserClasses : KeyRoot::kMachineClasses;
}

RegResult FakeRegistry::Set(KeyRoot root, const std::wstring& key, const std::wstring& name,
                            const RawValue& value, std::wstring* error) {
  std::wstring text;
  value.GetText(&text);  // strings only: Get gives every value back as REG_SZ
  const KeyRoot target = Target(root, key);
  if (read_only.count(target) || refused.count(Lower(key))) {
    *error = L"RegCreateKeyExW: Access is denied.";
    return RegResult::kAccessDenied;
  }
  // Creating a key creates its missing parents, with empty default values.
  const std::wstring lower = Lower(key);
  for (std::size_t cut = lower.find(L'\\'); cut != std::wstring::npos;
       cut = lower.find(L'\\', cut + 1)) {
    keys.emplace(std::make_pair(target, lower.substr(0, cut)), std::wstring());
  }
  if (name.empty()) {
    keys[{target, lower}] = text;
  } else {
    keys.emplace(std::make_pair(target, lower), std::wstring());
    values[{target, lower, Lower(name)}] = text;
  }
  log.push_back(std::wstring(L"set ") + RootName(root) + L" " + key +
                (name.empty() ? L"" : L":" + name) + L"=" + text);
  return RegResult::kOk;
}

bool FakeRegistry::Get(KeyRoot root, const std::wstring& key, const std::wstring& name,
                       RawValue* value) {
  const KeyRoot target = Target(root, key);
  if (name.empty()) {
    auto found = keys.find({target, Lower(key)});
    if (found == keys.end()) return false;
    *value = RawValue::Text(found->second);
    return true;
  }
  auto found = values.find({target, Lower(key), Lower(name)});
  if (found == values.end()) return false;
  *value = RawValue::Text(found->second);
  return true;
}

RegResult FakeRegistry::DeleteKey(KeyRoot root, const std::wstring& key, std::wstring* error) {
  const KeyRoot target = Target(root, key);
  const std::wstring name = Lower(key);
  if (!keys.count({target, name})) {
    *error = L"RegDeleteKeyW: The system cannot find the file specified.";
    return RegResult::kNotFound;
  }
  if (read_only.count(target)) {
    *error = L"RegDeleteKeyW: Access is denied.";
    return RegResult::kAccessDenied;
  }
  for (const auto& entry : keys) {
    if (entry.first.first == target && entry.first.second.rfind(name + L"\\", 0) == 0) {
      *error = L"RegDeleteKeyW: Access is denied.";
      return RegResult::kAccessDenied;
    }
  }
  keys.erase({target, name});
  for (auto value = values.begin(); value != values.end();) {
    const bool below = std::get<0>(value->first) == target && std::get<1>(value->first) == name;
    value = below ? values.erase(value) : std::next(value);
  }
  log.push_back(std::wstring(L"delete ") + RootName(root) + L" " + key);
  return RegResult::kOk;
}

bool FakeRegistry::KeyExists(KeyRoot root, const std::wstring& key) { return Has(root, key); }

bool FakeRegistry::KeyIsEmpty(KeyRoot root, const std::wstring& key) {
  const KeyRoot target = Target(root, key);
  const std::wstring name = Lower(key);
  auto found = keys.find({target, name});
  if (found == keys.end() || !found->second.empty()) return false;
  for (const auto& entry : keys) {
    if (entry.first.first == target && entry.first.second.rfind(name + L"\\", 0) == 0) {
      return false;
    }
  }
  for (const auto& value : values) {
    if (std::get<0>(value.first) == target && std::get<1>(value.first) == name) return false;
  }
  return true;
}

RegResult FakeRegistry::DeleteValue(KeyRoot root, const std::wstring& key, const std::wstring& name,
                                    std::wstring* error) {
  auto found = values.find({root, Lower(key), Lower(name)});
  // A default value lives in `keys`, where empty text stands for none.
  auto owner = name.empty() ? keys.find({root, Lower(key)}) : keys.end();
  const bool is_default = owner != keys.end() && !owner->second.empty();
  if (!is_default && found == values.end()) {
    *error = L"RegDeleteKeyValueW: The system cannot find the file specified.";
    return RegResult::kNotFound;
  }
  if (read_only.count(root)) {
    *error = L"RegDeleteKeyValueW: Access is denied.";
    return RegResult::kAccessDenied;
  }
  if (is_default) owner->second.clear();
  if (!is_default) values.erase(found);
  log.push_back(std::wstring(L"delete ") + RootName(root) + L" " + key + L":" + name);
  return RegResult::kOk;
}

bool FakeRegistry::Has(KeyRoot root, const std::wstring& key) const {
  if (root == KeyRoot::kClasses) {
    return Has(KeyRoot::kUserClasses, key) || Has(KeyRoot::kMachineClasses, key);
  }
  return keys.count({root, Lower(key)}) != 0;
}

std::wstring FakeRegistry::MergedValue(const std::wstring& key) const {
  auto found = keys.find({Target(KeyRoot::kClasses, key), Lower(key)});
  return found == keys.end() ? std::wstring() : found->second;
}

bool FakeAssociations::Query(const std::wstring& extension, const std::wstring& verb,
                             std::wstring* executable, std::wstring* friendly_name) {
  auto found = programs.find({extension, verb});
  if (found == programs.end()) return false;
  *executable = found->second.executable;
  *friendly_name = found->second.friendly_name;
  return true;
}

void FakeAssociations::NotifyChanged() { ++notified; }

bool FakeShell::SendToFolder(std::wstring* folder, std::wstring* error) {
  if (send_to.empty()) {
    *error = L"SHGetKnownFolderPath(FOLDERID_SendTo): The system cannot find the path specified.";
    return false;
  }
  *folder = send_to;
  return true;
}

bool FakeShell::DocumentsFolder(std::wstring* folder, std::wstring* error) {
  if (documents.empty()) {
    *error =
        L"SHGetKnownFolderPath(FOLDERID_Documents): The system cannot find the path specified.";
    return false;
  }
  *folder = documents;
  return true;
}

bool FakeShell::WriteShortcut(const std::wstring& link_file, const std::wstring& target,
                              std::wstring* error) {
  if (!write_error.empty()) {
    *error = write_error;
    return false;
  }
  links[link_file] = target;
  return true;
}

bool FakeShell::ReadShortcut(const std::wstring& link_file, std::wstring* target,
                             std::wstring* error) {
  auto found = links.find(link_file);
  error->clear();  // a missing link is no failure
  if (found != links.end()) *target = found->second;
  return found != links.end();
}

bool FakeShell::DeleteShortcut(const std::wstring& link_file, std::wstring* /*error*/) {
  links.erase(link_file);
  return true;
}

bool FakeShell::OpenUri(const std::wstring& uri, std::wstring* error) {
  *error = open_error;
  if (open_error.empty()) opened.push_back(uri);
  return open_error.empty();
}

void FakeWindow::ShowModal() {
  ++shown;
  if (on_show) on_show();
}

FakePlatform::FakePlatform() : FakePlatform(L"C:\\Tools\\talvern.exe") {}

FakePlatform::FakePlatform(const std::wstring& exe_file) {
  platform.App = MakeAppFacts(exe_file);
  platform.messages = &messages;
  platform.files = &files;
  files.profile = &profile;
  platform.profile = &profile;
  platform.processes = &processes;
  platform.environment = &environment;
  platform.word = &word;
  platform.dialog = &dialog;
  platform.registry = &registry;
  platform.shell = &shell;
  platform.window = &window;
  platform.associations = &associations;
}

void FakePlatform::WriteSettings(const std::wstring& word_path, const std::wstring& text_path) {
  const std::wstring file = AddPathSeparator(platform.App.Path) + L"Data.ini";
  profile.values[FakeProfile::MakeKey(file, L"EXE", L"WORD")] = word_path;
  profile.values[FakeProfile::MakeKey(file, L"EXE", L"TEXT")] = text_path;
}

}  // namespace talvern
