#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "settings/Keys.h"
#include "tests/shrink/ShrinkFixture.h"

namespace kobanto::test {
namespace {

using namespace settings;

const std::vector<int> kQuality55Row = {14, 10, 9, 14, 22, 36, 46, 55};

TEST_F(ShrinkTest, WithoutSettingsTakesThirtyPercentAtQuality55) {
  const std::string output = Path("S_photo.jpg");
  Shrink(Source("photo.jpg", 640, 480), output);
  const auto bytes = ReadBytes(output);
  const DecodedImage image = DecodeJpeg(bytes);
  EXPECT_EQ(image.width, 192);
  EXPECT_EQ(image.height, 144);
  EXPECT_EQ(FirstRowOfTable0(bytes), kQuality55Row);
  EXPECT_FALSE(Exists(Path("kobanto.ini")));  // conversion never creates the settings file
  EXPECT_FALSE(Exists(Path("Kobanto.ini")));
}

struct SizeCase {
  const char* name;
  SettingLines settings;
  int sourceWidth, sourceHeight;
  int width, height;
};

TEST_F(ShrinkTest, TargetSizeFollowsTheModeFlags) {
  const SizeCase cases[] = {
      {"percent mode off ignores pixel mode",
       {{kPercentModeKey, "0"}, {kPixelModeKey, "1"}},
       3000,
       4000,
       480,
       360},
      {"percent mode off with neither mode",
       {{kPercentModeKey, "0"}, {kPixelModeKey, "0"}, {kWidthKey, "200"}, {kHeightKey, "50"}},
       64,
       64,
       200,
       50},
      {"both mode flags on size by percent",
       {{kPercentModeKey, "1"}, {kPixelModeKey, "1"}, {kPercentValueKey, "50"}},
       64,
       48,
       32,
       24},
      {"53 percent falls one short", {{kPercentValueKey, "53"}}, 100, 100, 52, 52},
      {"59 percent falls one short", {{kPercentValueKey, "59"}}, 100, 100, 58, 58},
      {"29 percent is exact", {{kPercentValueKey, "29"}}, 100, 100, 29, 29},
      {"100 percent keeps the size", {{kPercentValueKey, "100"}}, 33, 17, 33, 17},
      {"250 percent enlarges", {{kPercentValueKey, "250"}}, 640, 480, 1600, 1200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteSettings(c.settings);
    JpegRecipe recipe;
    recipe.width = c.sourceWidth;
    recipe.height = c.sourceHeight;
    recipe.pixel = [](int x, int y) {
      return Rgb{static_cast<std::uint8_t>(x), 90, static_cast<std::uint8_t>(y)};
    };
    const std::string output = Path("S_out.jpg");
    Shrink(Source("in.jpg", recipe), output);
    const DecodedImage image = DecodeJpeg(ReadBytes(output));
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
  }
}

TEST_F(ShrinkTest, SettingsAreReadAnewForEveryPicture) {
  const std::string source = Source("in.jpg", 200, 100);
  WriteSettings({{kPercentValueKey, "50"}});
  Shrink(source, Path("S_1.jpg"));
  WriteSettings({{kPercentValueKey, "10"}, {kQualityKey, "90"}});
  Shrink(source, Path("S_2.jpg"));
  EXPECT_EQ(DecodeJpeg(ReadBytes(Path("S_1.jpg"))).width, 100);
  const auto second = ReadBytes(Path("S_2.jpg"));
  EXPECT_EQ(DecodeJpeg(second).width, 20);
  EXPECT_EQ(FirstRowOfTable0(second), (std::vector<int>{3, 2, 2, 3, 5, 8, 10, 12}));
}

// Only the low 8 bits of the quality reach the encoder, which treats 0 as 1 and anything above
// 100 as 100.
TEST_F(ShrinkTest, QualityKeepsItsLowEightBits) {
  struct QualityCase {
    const char* text;
    std::vector<int> firstRow;
  };
  const QualityCase cases[] = {
      {"55", kQuality55Row},
      {"300", {18, 12, 11, 18, 27, 45, 58, 69}},  // 44
      {"256", std::vector<int>(8, 255)},          // 0, acting as 1
      {"-1", std::vector<int>(8, 1)},             // 255, acting as 100
      {"75%", kQuality55Row},                     // not a number: the default
  };
  const std::string source = Source("in.jpg", 64, 64);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    WriteSettings({{kQualityKey, c.text}});
    Shrink(source, Path("S_in.jpg"));
    EXPECT_EQ(FirstRowOfTable0(ReadBytes(Path("S_in.jpg"))), c.firstRow);
  }
}

// A target of 0 in either direction is no error: the output is an empty file, replacing one that
// was there.
TEST_F(ShrinkTest, AnEmptyTargetWritesAnEmptyFile) {
  struct ZeroCase {
    const char* name;
    SettingLines settings;
    int sourceWidth, sourceHeight;
  };
  const ZeroCase cases[] = {
      {"percent 0", {{kPercentValueKey, "0"}}, 640, 480},
      {"30 percent of 3 pixels wide", {}, 3, 50},
      {"30 percent of 2 pixels high", {}, 50, 2},
      {"fixed width 0", {{kPercentModeKey, "0"}, {kWidthKey, "0"}}, 16, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteSettings(c.settings);
    const std::string output = Path("S_zero.jpg");
    WriteText(output, "an older picture");
    Shrink(Source("zero.jpg", c.sourceWidth, c.sourceHeight), output);
    ASSERT_TRUE(Exists(output));
    EXPECT_TRUE(ReadBytes(output).empty());
  }
}

TEST_F(ShrinkTest, AGreyscaleSourceGivesAGreyColourOutput) {
  JpegRecipe recipe;
  recipe.width = 80;
  recipe.height = 60;
  recipe.grayscale = true;
  recipe.pixel = [](int x, int y) {
    const auto v = static_cast<std::uint8_t>((x * 3 + y * 2) % 256);
    return Rgb{v, v, v};
  };
  WriteSettings({{kPercentValueKey, "50"}});
  Shrink(Source("grey.jpg", recipe), Path("S_grey.jpg"));
  const DecodedImage image = DecodeJpeg(ReadBytes(Path("S_grey.jpg")));
  EXPECT_EQ(image.components, 3);
  ASSERT_EQ(image.width, 40);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const Rgb c = image.At(x, y);
      ASSERT_TRUE(c.r == c.g && c.g == c.b) << x << "," << y;
    }
  }
}

// Colours come through every display format in their places: the middle of each coloured quarter
// keeps its colour, near enough for a lossy round trip (and the reduced formats).
TEST_F(ShrinkTest, ColoursSurviveOnEveryDisplayFormat) {
  const Rgb quarters[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  JpegRecipe recipe;
  recipe.width = 96;
  recipe.height = 64;
  recipe.quality = 100;
  recipe.pixel = [&quarters](int x, int y) { return quarters[(x >= 48) + 2 * (y >= 32)]; };
  const std::string source = Source("quarters.jpg", recipe);
  WriteSettings({{kPercentValueKey, "50"}, {kQualityKey, "100"}});
  for (int depth : {32, 24, 16, 15, 8, 4, 1}) {
    SCOPED_TRACE(depth);
    const std::string output = Path("S_quarters.jpg");
    Shrink(source, output, depth);
    const DecodedImage image = DecodeJpeg(ReadBytes(output));
    ASSERT_EQ(image.width, 48);
    ASSERT_EQ(image.height, 32);
    EXPECT_EQ(image.components, 3);
    if (depth == 1) continue;  // black and white only
    for (int q = 0; q < 4; ++q) {
      const Rgb got = image.At(12 + 24 * (q % 2), 8 + 16 * (q / 2));
      EXPECT_NEAR(got.r, quarters[q].r, 24) << q;
      EXPECT_NEAR(got.g, quarters[q].g, 24) << q;
      EXPECT_NEAR(got.b, quarters[q].b, 24) << q;
    }
  }
}

}  // namespace
}  // namespace kobanto::test
