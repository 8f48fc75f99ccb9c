#include "platform/paths.h"

#include <gtest/gtest.h>

namespace talvern {
namespace {

TEST(PathsTest, SeparatorAndExtendedLengthForms) {
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
  };
  for (const auto& row : rows) EXPECT_EQ(row.make(row.in), row.out) << row.in;
}

}  // namespace
}  // namespace talvern
