#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>

#include "Unit2/IntermediatePicture.h"
#include "codec/JpegImage.h"
#include "tests/shrink/ShrinkFixture.h"

namespace kobanto::test {
namespace {

// A colourful source, drawn by a real JPEG picture into the intermediate picture of a display.
class IntermediateDrawTest : public ShrinkTest {
 protected:
  void SetUp() override {
    JpegRecipe recipe;
    recipe.width = 90;
    recipe.height = 60;
    recipe.pixel = [](int x, int y) {
      return Rgb{static_cast<std::uint8_t>(x * 2), static_cast<std::uint8_t>(y * 4),
                 static_cast<std::uint8_t>((x * y) % 256)};
    };
    source_ = Source("colours.jpg", recipe);
  }

  // Draws the source at width x height into a display's intermediate picture; picture keeps the
  // decoded source.
  IntermediatePicture Draw(int displayDepth, int width, int height, TJPEGImage& picture) {
    picture.LoadFromFile(source_);
    IntermediatePicture intermediate(DisplayFormat{displayDepth});
    intermediate.SetWidth(width);
    intermediate.SetHeight(height);
    picture.Draw(intermediate, Rect{0, 0, width, height});
    return intermediate;
  }

  std::string source_;
};

std::set<std::tuple<int, int, int>> ColoursOf(const Bitmap& bitmap) {
  std::set<std::tuple<int, int, int>> colours;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const Rgb c = bitmap.PixelRgb(x, y);
      colours.insert({c.r, c.g, c.b});
    }
  }
  return colours;
}

// On a display of 24 or 32 bits every decoded value reaches the encoder unchanged.
TEST_F(IntermediateDrawTest, FullColourDisplaysKeepEveryDecodedPixel) {
  for (int depth : {24, 32}) {
    TJPEGImage picture(DisplayFormat{depth}.Decode());
    const IntermediatePicture intermediate = Draw(depth, 90, 60, picture);
    const Bitmap& decoded = picture.DecodedPicture().value();
    ASSERT_EQ(decoded.Format(), PixelFormat::kRgb24);
    ASSERT_EQ(intermediate.Picture().Format(), PixelFormat::kRgb24);
    ASSERT_EQ(intermediate.Picture().SizeBytes(), decoded.SizeBytes());
    EXPECT_EQ(std::memcmp(intermediate.Picture().Data(), decoded.Data(), decoded.SizeBytes()), 0);
  }
}

// At 15 and 16 bits the intermediate picture holds the decoded pixels cut to 5-5-5 or 5-6-5.
TEST_F(IntermediateDrawTest, ReducedDisplaysCarryTheirPrecision) {
  for (int depth : {15, 16}) {
    TJPEGImage picture(DisplayFormat{depth}.Decode());
    const IntermediatePicture intermediate = Draw(depth, 90, 60, picture);
    const Bitmap& decoded = picture.DecodedPicture().value();
    const Bitmap& reduced = intermediate.Picture();
    ASSERT_EQ(reduced.Format(), depth == 16 ? PixelFormat::kRgb565 : PixelFormat::kRgb555);
    for (int y = 0; y < 60; ++y) {
      const auto* row = reinterpret_cast<const std::uint16_t*>(reduced.Row(y));
      for (int x = 0; x < 90; ++x) {
        const Rgb c = decoded.PixelRgb(x, y);
        ASSERT_EQ(row[x], depth == 16 ? PackRgb565(c) : PackRgb555(c)) << x << "," << y;
      }
    }
  }
}

// At 8 bits the picture is decoded to a palette of at most 236 colours, and those are the only
// colours that reach the encoder, also when the picture is shrunk.
TEST_F(IntermediateDrawTest, PaletteDisplaysPassOnlyTheDecodedColours) {
  for (const auto& [width, height] : {std::pair{90, 60}, std::pair{31, 47}}) {
    TJPEGImage picture(DisplayFormat{8}.Decode());
    const IntermediatePicture intermediate = Draw(8, width, height, picture);
    const Bitmap& decoded = picture.DecodedPicture().value();
    ASSERT_EQ(decoded.Format(), PixelFormat::kIndexed8);
    EXPECT_LE(decoded.Palette().size(), 236u);
    const auto decodedColours = ColoursOf(decoded);
    const auto colours = ColoursOf(intermediate.Picture());
    EXPECT_LE(colours.size(), 236u);
    EXPECT_TRUE(std::includes(decodedColours.begin(), decodedColours.end(), colours.begin(),
                              colours.end()));
    if (width == 90) {
      EXPECT_EQ(colours, decodedColours);
    }
  }
}

// Below 8 bits the copy is a halftone onto the display's few colours.
TEST_F(IntermediateDrawTest, FewColourDisplaysGetOnlyTheirColours) {
  for (int depth : {4, 1}) {
    TJPEGImage picture(DisplayFormat{depth}.Decode());
    const IntermediatePicture intermediate = Draw(depth, 45, 30, picture);
    std::set<std::tuple<int, int, int>> allowed;
    for (const Rgb& c : DisplayPalette(depth)) allowed.insert({c.r, c.g, c.b});
    const auto colours = ColoursOf(intermediate.Picture());
    EXPECT_TRUE(std::includes(allowed.begin(), allowed.end(), colours.begin(), colours.end()));
    EXPECT_GT(colours.size(), 1u);
  }
}

}  // namespace
}  // namespace kobanto::test
