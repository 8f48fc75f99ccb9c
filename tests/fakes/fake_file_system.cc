#include "tests/fakes/fake_file_system.h"

#include "tests/fakes/fake_profile.h"
#include "tests/fakes/fake_text.h"

namespace talvern {

namespace {

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

bool FakeFileSystem::FileExists(const std::wstring& path) {
  exists_asked.push_back(path);
  return files.count(path) != 0 || (profile && profile->HasFile(path));
}

bool FakeFileSystem::SameFile(const std::wstring& a, const std::wstring& b) {
  auto file = [this](const std::wstring& path) {
    return FakeLower(aliases.count(path) ? aliases.at(path) : path);
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

}  // namespace talvern
