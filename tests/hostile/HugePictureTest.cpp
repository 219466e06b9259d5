// A tiny JPEG whose header claims 65500 x 65500 pixels: refused at once as out of resources (the
// 2 GiB bound on a bitmap), also when the process may only have 2 GB of address space; never a
// crash, an out-of-memory kill or minutes of decoding.

#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "tests/support/ProgramFixture.h"

namespace kobanto::hostile {

using namespace test;
namespace {

// A 16 x 16 stream whose frame header says 65500 x 65500.
std::vector<std::uint8_t> HugeHeader(const test::JpegRecipe& recipe) {
  std::vector<std::uint8_t> jpeg = test::MakeJpeg(recipe);
  const std::uint8_t frame = recipe.progressive ? 0xC2 : 0xC0;
  const test::JpegSegment sof = test::FindSegment(jpeg, frame);
  for (std::size_t at : {sof.offset + 5, sof.offset + 7}) {  // height, then width
    jpeg[at] = 65500 >> 8;
    jpeg[at + 1] = 65500 & 0xFF;
  }
  return jpeg;
}

struct HugeCase {
  const char* name;
  bool progressive, grayscale;
  const char* imageLines;  // settings of the shrunk-image section
};

void PrintTo(const HugeCase& c, std::ostream* os) { *os << c.name; }

const HugeCase kHugeCases[] = {
    // 30 % gives an intermediate picture of 19650 x 19650 (1.2 GB), which is made; the
    // decoded picture (12.9 GB) is refused.
    {"DefaultPercent", false, false, ""},
    // The intermediate picture itself is refused.
    {"FullSize", false, false, "％指定値=100\r\n"},
    {"FixedSize", false, false, "％指定=0\r\n"},
    {"ProgressiveFixedSize", true, false, "％指定=0\r\n"},
    {"GreyFixedSize", false, true, "％指定=0\r\n"},
};

class HugePictureTest : public ProgramTest, public testing::WithParamInterface<HugeCase> {
 protected:
  void ExpectOutOfResources(const Limits& limits) {
    const HugeCase& c = GetParam();
    WriteSettings(SettingsText(Path("out"), false, c.imageLines));
    test::JpegRecipe recipe;
    recipe.progressive = c.progressive;
    recipe.grayscale = c.grayscale;
    test::WriteBytes(Path("in/huge.jpg"), HugeHeader(recipe));
    Watch(Path("in/huge.jpg"));
    auto result = Run({Path("in/huge.jpg"), Picture("in/next.jpg")}, limits);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Reported(msg::kOutOfResources));
    EXPECT_EQ(NamesIn(Path("out")), std::set<std::string>{});
  }
};

TEST_P(HugePictureTest, IsOutOfResourcesAtOnce) { ExpectOutOfResources({}); }

TEST_P(HugePictureTest, IsOutOfResourcesAlsoWithin2GbOfAddressSpace) {
  if (kSanitized) GTEST_SKIP() << "AddressSanitizer cannot start under an address-space limit";
  Limits limits;
  limits.addressKib = 2 * 1024 * 1024;
  ExpectOutOfResources(limits);
}

INSTANTIATE_TEST_SUITE_P(Huge, HugePictureTest, testing::ValuesIn(kHugeCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kobanto::hostile
