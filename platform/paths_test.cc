#include "platform/paths.h"

#include <gtest/gtest.h>

namespace talvern {
namespace {

TEST(AddPathSeparatorTest, AppendsExactlyOneBackslash) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } rows[] = {
      {L"", L"\\"},
      {L"C:\\", L"C:\\"},
      {L"C:\\Tools", L"C:\\Tools\\"},
      {L"C:\\Tools\\", L"C:\\Tools\\"},
      {L"C:\\Tools/", L"C:\\Tools/\\"},
      // Compared by character, not by ANSI byte: 表's second byte in CP932 is 0x5C.
      {L"C:\\表", L"C:\\表\\"},
  };
  for (const auto& row : rows) EXPECT_EQ(AddPathSeparator(row.in), row.out) << row.in;
}

TEST(ExtendedLengthPathTest, PrefixesDrivePathsAndNetworkPaths) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } rows[] = {
      {L"C:\\Docs\\a.doc", L"\\\\?\\C:\\Docs\\a.doc"},
      {L"\\\\server\\share\\a.doc", L"\\\\?\\UNC\\server\\share\\a.doc"},
      {L"\\\\?\\C:\\a.doc", L"\\\\?\\C:\\a.doc"},
      {L"\\\\.\\C:\\a.doc", L"\\\\.\\C:\\a.doc"},
  };
  for (const auto& row : rows) EXPECT_EQ(ExtendedLengthPath(row.in), row.out) << row.in;
}

}  // namespace
}  // namespace talvern
