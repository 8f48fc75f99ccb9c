#include "platform/decimal.h"

#include <gtest/gtest.h>

namespace talvern {
namespace {

TEST(DecimalTextTest, WritesWhatToWstringWrites) {
  for (unsigned long long value : {0ULL, 7ULL, 10ULL, 932ULL, 4294967295ULL, ~0ULL}) {
    EXPECT_EQ(DecimalText(value), std::to_wstring(value)) << value;
  }
}

}  // namespace
}  // namespace talvern
