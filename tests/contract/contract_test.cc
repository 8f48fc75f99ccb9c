// The same cases for the fakes (natively) and the Win32 implementations (under Wine): a fake
// that answers differently from Windows fails here.
#include "tests/contract/contract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace talvern {
namespace {

const std::wstring kDoc = L"TalvernContract.Doc";  // a class of the cases' own
const std::wstring kApp = L"TalvernContract";      // under the user's Software key

RawValue Raw(std::uint32_t type, const std::string& bytes) {
  RawValue value;
  value.type = type;
  value.bytes = bytes;
  return value;
}

// The function that failed, as the error names it first.
std::wstring Caller(const std::wstring& error) { return error.substr(0, error.find(L':')); }

class Contract : public ::testing::Test {
 protected:
  std::unique_ptr<ContractWorld> world_ = NewContractWorld();
  Registry& reg_ = world_->registry();
  ProfileStore& ini_ = world_->profile();
  FileSystem& fs_ = world_->files();
  std::wstring error_;
};
using RegistryContract = Contract;
using ProfileContract = Contract;
using FileSystemContract = Contract;

TEST_F(RegistryContract, ClassesRootReachesTheUsersKeyElseTheMachines) {
  const std::wstring shell = kDoc + L"\\shell";
  RawValue value;
  ASSERT_EQ(reg_.Set(KeyRoot::kMachineClasses, shell, L"", RawValue::Text(L"open"), &error_),
            RegResult::kOk)
      << error_;
  ASSERT_TRUE(reg_.Get(KeyRoot::kClasses, shell, L"", &value));
  EXPECT_EQ(value, RawValue::Text(L"open"));
  // A key only the machine has is written and emptied there through HKCR.
  EXPECT_EQ(reg_.Set(KeyRoot::kClasses, shell, L"Extended", RawValue::Text(L""), &error_),
            RegResult::kOk);
  EXPECT_TRUE(reg_.Get(KeyRoot::kMachineClasses, shell, L"Extended", &value));
  EXPECT_EQ(reg_.DeleteValue(KeyRoot::kClasses, shell, L"Extended", &error_), RegResult::kOk)
      << error_;
  EXPECT_EQ(reg_.DeleteValue(KeyRoot::kClasses, shell, L"", &error_), RegResult::kOk) << error_;
  EXPECT_TRUE(reg_.KeyIsEmpty(KeyRoot::kMachineClasses, shell));
  if (!world_->MergesUserClasses()) return;
  // Where the user has the key too, HKCR shows, writes and deletes the user's.
  reg_.Set(KeyRoot::kMachineClasses, shell, L"", RawValue::Text(L"machine"), &error_);
  reg_.Set(KeyRoot::kUserClasses, shell, L"", RawValue::Text(L"user"), &error_);
  ASSERT_TRUE(reg_.Get(KeyRoot::kClasses, shell, L"", &value));
  EXPECT_EQ(value, RawValue::Text(L"user"));
  EXPECT_EQ(reg_.Set(KeyRoot::kClasses, shell, L"Extended", RawValue::Text(L""), &error_),
            RegResult::kOk);
  EXPECT_FALSE(reg_.Get(KeyRoot::kMachineClasses, shell, L"Extended", &value));
  EXPECT_EQ(reg_.DeleteValue(KeyRoot::kClasses, shell, L"Extended", &error_), RegResult::kOk);
  EXPECT_FALSE(reg_.Get(KeyRoot::kUserClasses, shell, L"Extended", &value));
}

TEST_F(RegistryContract, ValuesKeepTheirTypeAndBytes) {
  const std::wstring key = kApp + L"\\Types";
  RawValue expandable = RawValue::Text(L"%SystemRoot%\\notepad.exe");
  expandable.type = RawValue::kExpandableText;
  const struct {
    const wchar_t* name;
    RawValue value;
  } rows[] = {
      {L"", RawValue::Text(L"")},  // an empty default value is a value all the same
      {L"Command", expandable},
      {L"Flags", Raw(4, std::string("\x01\x00\x00\x00", 4))},  // REG_DWORD
      {L"Data", Raw(3, std::string("\xff\x00\x5c", 3))},       // REG_BINARY
      {L"None", Raw(0, "")},                                   // REG_NONE
  };
  for (const auto& row : rows) {
    EXPECT_EQ(reg_.Set(KeyRoot::kUserSoftware, key, row.name, row.value, &error_), RegResult::kOk);
    RawValue back;
    ASSERT_TRUE(reg_.Get(KeyRoot::kUserSoftware, key, row.name, &back)) << row.name;
    EXPECT_EQ(back.type, row.value.type) << row.name;
    EXPECT_EQ(back.bytes, row.value.bytes) << row.name;
  }
  EXPECT_FALSE(reg_.KeyIsEmpty(KeyRoot::kUserSoftware, key));
  for (const auto& row : rows) reg_.DeleteValue(KeyRoot::kUserSoftware, key, row.name, &error_);
  EXPECT_TRUE(reg_.KeyIsEmpty(KeyRoot::kUserSoftware, key));
}

TEST_F(RegistryContract, KeyWithSubkeysIsNotDeleted) {
  const std::wstring parent = kApp + L"\\Parent", child = parent + L"\\Child";
  ASSERT_EQ(reg_.Set(KeyRoot::kUserSoftware, child, L"", RawValue::Text(L"x"), &error_),
            RegResult::kOk);
  EXPECT_EQ(reg_.DeleteKey(KeyRoot::kUserSoftware, parent, &error_), RegResult::kAccessDenied);
  EXPECT_EQ(Caller(error_), L"RegDeleteKeyW");
  EXPECT_TRUE(reg_.KeyExists(KeyRoot::kUserSoftware, child));
  EXPECT_FALSE(reg_.KeyIsEmpty(KeyRoot::kUserSoftware, parent));
  EXPECT_EQ(reg_.DeleteKey(KeyRoot::kUserSoftware, child, &error_), RegResult::kOk);
  EXPECT_TRUE(reg_.KeyIsEmpty(KeyRoot::kUserSoftware, parent));
  EXPECT_EQ(reg_.DeleteKey(KeyRoot::kUserSoftware, parent, &error_), RegResult::kOk);
  EXPECT_FALSE(reg_.KeyExists(KeyRoot::kUserSoftware, parent));
}

TEST_F(RegistryContract, MissingKeyOrValue) {
  const std::wstring missing = kApp + L"\\Missing";
  RawValue value;
  for (KeyRoot root : {KeyRoot::kUserSoftware, KeyRoot::kClasses}) {
    EXPECT_FALSE(reg_.Get(root, missing, L"", &value));
    EXPECT_FALSE(reg_.KeyExists(root, missing));
    EXPECT_FALSE(reg_.KeyIsEmpty(root, missing));
    EXPECT_EQ(reg_.DeleteValue(root, missing, L"Name", &error_), RegResult::kNotFound);
    EXPECT_EQ(Caller(error_), L"RegDeleteKeyValueW");
    EXPECT_EQ(reg_.DeleteKey(root, missing, &error_), RegResult::kNotFound);
    EXPECT_EQ(Caller(error_), L"RegDeleteKeyW");
  }
  reg_.Set(KeyRoot::kUserSoftware, kApp, L"Present", RawValue::Text(L"1"), &error_);
  EXPECT_FALSE(reg_.Get(KeyRoot::kUserSoftware, kApp, L"Absent", &value));
  EXPECT_FALSE(reg_.Get(KeyRoot::kUserSoftware, kApp, L"", &value));  // no default value
  EXPECT_EQ(reg_.DeleteValue(KeyRoot::kUserSoftware, kApp, L"Absent", &error_),
            RegResult::kNotFound);
  EXPECT_EQ(reg_.DeleteValue(KeyRoot::kUserSoftware, kApp, L"", &error_), RegResult::kNotFound);
}

TEST_F(ProfileContract, ValuesComeBackAsTheCodePageAndTheReadingLeaveThem) {
  const std::wstring file = world_->Folder() + L"\\Data.ini";
  const struct {
    const wchar_t* key;
    const wchar_t* written;
    const wchar_t* read;
  } rows[] = {
      // Second bytes 0x5C in code page 932, where "\" is 0x5C too.
      {L"WORD", L"C:\\表計算\\ソフト\\WINWORD.EXE", L"C:\\表計算\\ソフト\\WINWORD.EXE"},
      // Reading drops the blanks around a value and one pair of quotes.
      {L"TEXT", L"\t \"C:\\Program Files\\notepad.exe\"  ", L"C:\\Program Files\\notepad.exe"},
      {L"QUOTED", L"'C:\\a.exe'", L"C:\\a.exe"},
      {L"EMPTY", L"", L""},
      // Not in the code page: stored as "?" all the same.
      {L"HANGUL", L"C:\\한\\a.exe", L"C:\\?\\a.exe"},
  };
  for (const auto& row : rows) {
    EXPECT_TRUE(ini_.Write(file, L"EXE", row.key, row.written, &error_)) << error_;
    EXPECT_EQ(ini_.Read(file, L"exe", row.key), row.read) << row.key;
    EXPECT_TRUE(ini_.Contains(file, L"Exe", row.key)) << row.key;
  }
  std::wstring why;
  EXPECT_TRUE(ini_.CanStoreExactly(L"C:\\表計算\\ソフト", &why));
  EXPECT_FALSE(ini_.CanStoreExactly(L"C:\\한", &why));
  EXPECT_FALSE(why.empty());
}

TEST_F(ProfileContract, MissingFileSectionOrKey) {
  const std::wstring file = world_->Folder() + L"\\Data.ini";
  std::shared_ptr<void> hold;
  bool in_use = false;
  EXPECT_TRUE(ini_.HoldForReading(file, &hold, &error_, &in_use));
  EXPECT_FALSE(hold);
  EXPECT_EQ(ini_.Read(file, L"EXE", L"WORD"), L"");
  EXPECT_FALSE(ini_.Contains(file, L"EXE", L"WORD"));
  ASSERT_TRUE(ini_.Write(file, L"EXE", L"WORD", L"C:\\w.exe", &error_)) << error_;
  EXPECT_EQ(ini_.Read(file, L"OTHER", L"WORD"), L"");
  EXPECT_FALSE(ini_.Contains(file, L"EXE", L"TEXT"));
  EXPECT_TRUE(ini_.Delete(file, L"EXE", L"TEXT", &error_)) << error_;  // missing: no error
  EXPECT_TRUE(ini_.Delete(file, L"EXE", L"WORD", &error_)) << error_;
  EXPECT_FALSE(ini_.Contains(file, L"EXE", L"WORD"));
  EXPECT_TRUE(ini_.HoldForReading(file, &hold, &error_, &in_use));
  EXPECT_TRUE(hold);  // the file stays, emptied
}

TEST_F(ProfileContract, FileHeldByAnotherProgramCannotBeRead) {
  const std::wstring file = world_->Folder() + L"\\Data.ini";
  ASSERT_TRUE(ini_.Write(file, L"EXE", L"WORD", L"C:\\w.exe", &error_)) << error_;
  world_->Lock(file);
  EXPECT_EQ(ini_.Read(file, L"EXE", L"WORD"), L"");
  EXPECT_FALSE(ini_.Contains(file, L"EXE", L"WORD"));
  std::shared_ptr<void> hold;
  bool in_use = false;
  EXPECT_FALSE(ini_.HoldForReading(file, &hold, &error_, &in_use));
  EXPECT_EQ(Caller(error_), L"CreateFileW");
  EXPECT_TRUE(in_use);
}

TEST_F(FileSystemContract, MissingFile) {
  const std::wstring path = world_->Folder() + L"\\absent.doc";
  EXPECT_FALSE(fs_.FileExists(path));
  EXPECT_FALSE(fs_.ProbePlainFile(path));
  EXPECT_FALSE(fs_.OpenForRead(path, &error_));
  EXPECT_EQ(Caller(error_), L"CreateFileW");
  std::wstring name;
  EXPECT_FALSE(fs_.ReadInternalName(path, &name));
  // Paths that name no file are the same only as the same text, in any case.
  EXPECT_TRUE(fs_.SameFile(path, world_->Folder() + L"\\ABSENT.DOC"));
  EXPECT_FALSE(fs_.SameFile(path, world_->Folder() + L"\\other.doc"));
}

TEST_F(FileSystemContract, FolderIsNoFile) {
  const std::wstring path = world_->Folder() + L"\\folder.doc";
  world_->MakeFolder(path);
  EXPECT_FALSE(fs_.FileExists(path));
  EXPECT_FALSE(fs_.ProbePlainFile(path));
  EXPECT_FALSE(fs_.OpenForRead(path, &error_));
  EXPECT_EQ(error_, L"フォルダーです。");  // not Windows' "access denied"
}

TEST_F(FileSystemContract, SameFileByTwoPaths) {
  const std::wstring a = world_->Folder() + L"\\a.doc", b = world_->Folder() + L"\\b.doc";
  const std::wstring copy = world_->Folder() + L"\\copy.doc";
  world_->MakeFile(a, "bytes");
  world_->MakeFile(copy, "bytes");
  world_->Link(a, b);
  EXPECT_TRUE(fs_.FileExists(b));
  EXPECT_TRUE(fs_.SameFile(a, b));
  EXPECT_TRUE(fs_.SameFile(b, world_->Folder() + L"\\A.DOC"));
  EXPECT_FALSE(fs_.SameFile(a, copy));
  auto reader = fs_.OpenForRead(b, &error_);
  ASSERT_TRUE(reader) << error_;
  std::string bytes;
  EXPECT_TRUE(reader->ReadStart(64, &bytes, &error_));
  EXPECT_EQ(bytes, "bytes");
}

}  // namespace
}  // namespace talvern
