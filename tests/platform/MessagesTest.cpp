#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "platform/ReportText.h"

namespace kobanto {
namespace {

TEST(ReportText, AppendsAPeriodOnlyAfterCharactersThatSortAfterIt) {
  struct Case {
    std::string message, shown;
  } cases[] = {
      {"a", "a."},  {"a.", "a."}, {"a!", "a!"},
      {"a ", "a "}, {"a)", "a)"}, {"a,", "a,"},
      {"9", "9."},  {"", ""},     {"ファイル  は開けません", "ファイル  は開けません."},
  };
  for (const auto& c : cases) EXPECT_EQ(ReportText(c.message), c.shown) << c.message;
}

TEST(FormatMessage, PutsThePathOrNumberInPlaceOfThePlaceholder) {
  EXPECT_EQ(FormatMessage(msg::kFileOpen, "/tmp/a b.jpg"), "ファイル /tmp/a b.jpg は開けません");
  EXPECT_EQ(FormatMessage(msg::kFileOpen, ""), "ファイル  は開けません");
  EXPECT_EQ(FormatMessage(msg::kJpegError, 52), "JPEG エラー #52");
  EXPECT_EQ(FormatMessage(msg::kIniWrite, "/x/kobanto.ini"), "/x/kobanto.ini に書き込めません");
}

}  // namespace
}  // namespace kobanto
