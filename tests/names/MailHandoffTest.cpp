#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Unit2/MailHandoff.h"
#include "companion/AttachmentSplit.h"

namespace kobanto {
namespace {

using List = std::vector<std::string>;

struct HandoffCase {
  List list;
  std::string text;
};

void PrintTo(const HandoffCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

// One table for both directions: the program builds the text, the companion splits it back.
const HandoffCase kCases[] = {
    {{"C:\\windows\\temp\\S_a.jpg"}, "C:\\windows\\temp\\S_a.jpg"},
    {{"C:\\windows\\temp\\S_a.jpg", "C:\\My Documents\\memo.doc"},
     "C:\\windows\\temp\\S_a.jpg,\"C:\\My Documents\\memo.doc\""},
    {{"a", "", "b"}, "a,,b"},
    {{""}, "\"\""},
    {{"", ""}, ","},
    {{"", "a"}, ",a"},
    {{"a", ""}, "a,"},
    {{"/tmp/a,b/x.jpg"}, "\"/tmp/a,b/x.jpg\""},
    {{" lead.jpg", "trail.jpg "}, "\" lead.jpg\",\"trail.jpg \""},
    {{"say \"hi\".txt"}, "\"say \"\"hi\"\".txt\""},
    {{"\"\""}, "\"\"\"\"\"\""},
    {{"a\tb", "a\nb", "\x01",
      "a\x7f"
      "b"},
     "\"a\tb\",\"a\nb\",\"\x01\",a\x7f"
     "b"},
    // Japanese names are written byte for byte, in UTF-8 and in code page 932 alike.
    {{"/写真/縮小.jpg", "C:\\\x95\x5c\\a.jpg"}, "/写真/縮小.jpg,C:\\\x95\x5c\\a.jpg"},
};

class AttachmentString : public ::testing::TestWithParam<HandoffCase> {};

TEST_P(AttachmentString, BuildsTheParameterString) {
  EXPECT_EQ(BuildAttachmentString(GetParam().list), GetParam().text);
}

TEST_P(AttachmentString, SplitsBackIntoTheNonEmptyEntries) {
  List expected;
  for (const std::string& entry : GetParam().list) {
    if (!entry.empty()) expected.push_back(entry);
  }
  EXPECT_EQ(SplitAttachmentString(GetParam().text), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, AttachmentString, ::testing::ValuesIn(kCases));

TEST(AttachmentSplit, ToleratesTextNoBuilderWrites) {
  EXPECT_EQ(SplitAttachmentString(""), List{});
  EXPECT_EQ(SplitAttachmentString("\"open to the end"), List{"open to the end"});
  EXPECT_EQ(SplitAttachmentString("\"a\"b,c"), (List{"ab", "c"}));
  EXPECT_EQ(SplitAttachmentString("a\"b"), List{"a\"b"});
}

class RecordingLauncher final : public ProcessLauncher {
 public:
  void Launch(const std::string& program, const std::string& argument) override {
    launches.push_back({program, argument});
  }
  std::vector<std::pair<std::string, std::string>> launches;
};

TEST(MailHandoffTest, StartsTheCompanionInTheExecutableFolderOnce) {
  RecordingLauncher launcher;
  MailHandoff({"/out/S_a.jpg", "/out/S_b.jpg", "/docs/memo 1.doc"}, "/opt/kobanto/", launcher);
  ASSERT_EQ(launcher.launches.size(), 1u);
  EXPECT_EQ(launcher.launches[0].first, "/opt/kobanto/SendTo.exe");
  EXPECT_EQ(launcher.launches[0].second, "/out/S_a.jpg,/out/S_b.jpg,\"/docs/memo 1.doc\"");
}

}  // namespace
}  // namespace kobanto
