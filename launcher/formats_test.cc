#include "launcher/formats.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/formats_test_fixture.h"

namespace talvern {
namespace {

using F = DocumentFormat;

using format_rows::FormatRow;

TEST(FormatOfTest, RecognisesWhatWordOpensAndNothingThatOnlyBeginsLikeIt) {
  for (const FormatRow& row : format_rows::FormatRows()) {
    EXPECT_STREQ(FormatName(FormatOf(row.head)), FormatName(row.format)) << row.name;
  }
}

TEST(FormatOfTest, LooksAtTheFirst4KiBOnly) {
  // The mso processing instruction ends one byte too late, then just in time.
  const std::string mso = "<?mso-application progid=\"Word.Document\"?>";
  std::string head = std::string(kFormatHeadBytes + 1 - mso.size(), ' ') + mso;
  EXPECT_EQ(FormatOf(head), F::kText);
  head.erase(0, 1);
  EXPECT_EQ(FormatOf(head), F::kWordXml);
}

}  // namespace
}  // namespace talvern
