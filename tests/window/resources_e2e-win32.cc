// The executable's own resources: version information, icon and manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/harness/harness.h"

namespace talvern {
namespace e2e {
namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colors, reserved;
  WORD planes, bit_count;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(Resources, VersionInformationInTheJapaneseUnicodeBlock) {
  const std::wstring exe = TalvernExe();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, &data[0]));
  const struct {
    const wchar_t* name;
    const wchar_t* value;
  } rows[] = {
      {L"FileDescription", L"Talvern"},  // the name "Open with" and default apps list
      {L"FileVersion", L"1.20.0136"},
      {L"ProductVersion", L"1.20.0136"},
      {L"InternalName", L"Talvern"},
      {L"OriginalFilename", L"Talvern.exe"},
      {L"ProductName", L"TALVERN Ver1.20"},
      {L"LegalCopyright", L"Copyright (c) 2026 Talvern Project"},
  };
  for (const auto& row : rows) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041104B0\\") + row.name;
    ASSERT_TRUE(
        VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << Utf8(row.name);
    EXPECT_EQ(Utf8(value), Utf8(row.value));
  }
  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0411);
  EXPECT_EQ(translation[1], 1200);
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(20, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(136, 0));
}

TEST(Resources, OneIcon32By32In24BitColourAndAManifest) {
  HMODULE exe = LoadLibraryExW(TalvernExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(exe);
  HRSRC group = FindResourceW(exe, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
  ASSERT_TRUE(group);
  const BYTE* header = static_cast<const BYTE*>(LockResource(LoadResource(exe, group)));
  const WORD count = *reinterpret_cast<const WORD*>(header + 4);
  ASSERT_EQ(count, 1);
  const GroupIconEntry* entry = reinterpret_cast<const GroupIconEntry*>(header + 6);
  EXPECT_EQ(entry->width, 32);
  EXPECT_EQ(entry->height, 32);
  EXPECT_EQ(entry->bit_count, 24);
  HRSRC image = FindResourceW(exe, MAKEINTRESOURCEW(entry->id), RT_ICON);
  ASSERT_TRUE(image);
  const BITMAPINFOHEADER* bitmap =
      static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(exe, image)));
  EXPECT_EQ(bitmap->biWidth, 32);
  EXPECT_EQ(bitmap->biBitCount, 24);

  HRSRC manifest = FindResourceW(exe, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_TRUE(manifest);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(exe, manifest))),
                         SizeofResource(exe, manifest));
  for (const char* part : {"Microsoft.Windows.Common-Controls", "asInvoker", "true/pm"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
  FreeLibrary(exe);
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
