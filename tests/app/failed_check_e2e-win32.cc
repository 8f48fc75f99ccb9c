// A failed check inside the C++ library stops everything at once: its message cannot be
// left for the window behind it, it names the failure, and the run ends with exit code 1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/harness/window_driver.h"

namespace talvern {
namespace e2e {
namespace {

TEST(FailedCheckTest, StopsEverythingAtOnce) {
  const struct {
    const char* label;
    const wchar_t* argument;
    const wchar_t* names;
  } rows[] = {
      {"index past the end", L"check", L": Assertion '__n < this->size()' failed."},
      {"memory ran out", L"memory", L"std::bad_alloc"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    std::wstring error;
    auto run = ProgramRun::Start(FromUnixPath(TALVERN_E2E_FAILING_CHECK_EXE), row.argument, &error);
    ASSERT_TRUE(run) << Utf8(error);
    const HWND window = WaitForWindow(run->pid(), L"failing check");
    const HWND box = WaitForMessageBox(run->pid());
    ASSERT_TRUE(window && box);
    const MessageBoxInfo message = ReadMessageBox(box);
    EXPECT_EQ(message.caption, kMessageCaption);
    EXPECT_THAT(message.text, ::testing::StartsWith(L"予期しないエラーが発生しました。\r\n"));
    EXPECT_THAT(message.text, ::testing::EndsWith(row.names));
    EXPECT_EQ(message.icon, IconKind::kCritical);
    EXPECT_FALSE(IsWindowEnabled(window)) << "the window behind the message can still be used";
    ASSERT_TRUE(DismissMessageBox(box));
    DWORD exit_code = 0;
    ASSERT_TRUE(run->WaitEnded(kPatience, &exit_code));
    EXPECT_EQ(exit_code, 1u);
  }
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
