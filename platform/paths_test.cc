#include "platform/paths.h"

#include <gtest/gtest.h>

namespace talvern {
namespace {

std::wstring FullPathOrEmpty(const std::wstring& path) { return IsFullPath(path) ? path : L""; }

TEST(PathsTest, SeparatorExtendedLengthFullPathAndFileName) {
  const struct {
    std::wstring (*make)(const std::wstring&);
    const wchar_t* in;
    const wchar_t* out;
  } rows[] = {
      {AddPathSeparator, L"", L"\\"},
      {AddPathSeparator, L"C:\\", L"C:\\"},
      {AddPathSeparator, L"C:\\Tools", L"C:\\Tools\\"},
      {AddPathSeparator, L"C:\\Tools\\", L"C:\\Tools\\"},
      {AddPathSeparator, L"C:\\Tools/", L"C:\\Tools/\\"},
      // Compared by character, not by ANSI byte: 表's second byte in CP932 is 0x5C.
      {AddPathSeparator, L"C:\\表", L"C:\\表\\"},
      {ExtendedLengthPath, L"C:\\Docs\\a.doc", L"\\\\?\\C:\\Docs\\a.doc"},
      {ExtendedLengthPath, L"\\\\server\\share\\a.doc", L"\\\\?\\UNC\\server\\share\\a.doc"},
      {ExtendedLengthPath, L"\\\\?\\C:\\a.doc", L"\\\\?\\C:\\a.doc"},
      {ExtendedLengthPath, L"\\\\.\\C:\\a.doc", L"\\\\.\\C:\\a.doc"},
      {FullPathOrEmpty, L"c:\\a.doc", L"c:\\a.doc"},
      {FullPathOrEmpty, L"\\\\?\\C:\\a.doc", L"\\\\?\\C:\\a.doc"},
      {FullPathOrEmpty, L"C:a.doc", L""},  // relative to drive C's current folder
      {FullPathOrEmpty, L"\\a.doc", L""},  // relative to the current drive
      {FullPathOrEmpty, L"C:/a.doc", L""},
      {FullPathOrEmpty, L"1:\\a.doc", L""},
      {FullPathOrEmpty, L"\\\\", L""},
      {FileName, L"C:\\a b\\talvern.exe", L"talvern.exe"},
      {FileName, L"C:/a/talvern.exe", L"talvern.exe"},
      {FileName, L"talvern.exe", L"talvern.exe"},
  };
  for (const auto& row : rows) EXPECT_EQ(row.make(row.in), row.out) << row.in;
}

TEST(PathsTest, SamePathTextIgnoresCaseCharacterByCharacter) {
  EXPECT_TRUE(SamePathText(L"C:\\Ｔé\\Ωя\\TALVERN.exe", L"c:\\ｔÉ\\ωЯ\\talvern.EXE"));
  EXPECT_FALSE(SamePathText(L"C:\\a.exe", L"C:\\b.exe"));
  EXPECT_FALSE(SamePathText(L"straße", L"STRASSE"));
}

}  // namespace
}  // namespace talvern
