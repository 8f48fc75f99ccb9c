#include <gtest/gtest.h>

#include "platform/platform.h"

namespace talvern {
namespace {

TEST(AppFactsTest, FolderAndNameFromTheExecutablePath) {
  struct Row {
    const wchar_t* exe;
    const wchar_t* path;
    const wchar_t* name;
  } rows[] = {
      {L"C:\\Tools\\talvern.exe", L"C:\\Tools", L"talvern"},
      {L"C:\\talvern.exe", L"C:\\", L"talvern"},
      {L"C:\\My Tools\\Renamed.EXE", L"C:\\My Tools", L"Renamed"},
      {L"\\\\server\\share\\talvern.exe", L"\\\\server\\share", L"talvern"},
      {L"D:\\a.b\\tv.v2.exe", L"D:\\a.b", L"tv.v2"},
  };
  for (const Row& row : rows) {
    AppFacts app = MakeAppFacts(row.exe);
    EXPECT_EQ(app.Path, row.path) << row.exe;
    EXPECT_EQ(app.EXEName, row.name) << row.exe;
    EXPECT_EQ(app.ExeFile, row.exe);
  }
}

TEST(AppFactsTest, ProductNameTitleVersionAndCopyright) {
  AppFacts app = MakeAppFacts(L"C:\\talvern.exe");
  EXPECT_EQ(app.ProductName, L"TALVERN Ver1.20");
  EXPECT_EQ(app.Title, L"Talvern");
  EXPECT_EQ(app.Version, L"1.20.0136");
  EXPECT_EQ(app.LegalCopyright, L"Copyright (c) 2026 Talvern Project");
}

}  // namespace
}  // namespace talvern
