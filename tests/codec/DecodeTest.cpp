#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "codec/JpegImage.h"
#include "platform/Errors.h"
#include "tests/codec/CodecFixture.h"

namespace kobanto {
namespace {

using test::JpegRecipe;
using test::MakeJpeg;
using Bytes = std::vector<std::uint8_t>;

class DecodeTest : public test::CodecTest {
 protected:
  // Loads bytes from a file and decodes them by drawing; the picture stays for inspection.
  const Bitmap& Decode(const Bytes& bytes, DecodeDepth depth = DecodeDepth::k24) {
    picture_.emplace(depth);
    picture_->LoadFromFile(Source("source.jpg", bytes));
    return test::DecodeByDrawing(*picture_);
  }
  std::optional<TJPEGImage> picture_;
};

bool Near(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

JpegRecipe ColourSpec(int width = 48, int height = 32) {
  JpegRecipe recipe;
  recipe.width = width, recipe.height = height;
  return recipe;
}

TEST_F(DecodeTest, AColourSourceGivesTheLibrarysRgbPixels) {
  Bytes jpeg = MakeJpeg(ColourSpec(37, 21));
  const Bitmap& decoded = Decode(jpeg);
  test::DecodedImage reference = test::DecodeJpeg(jpeg);
  ASSERT_EQ(decoded.Format(), PixelFormat::kRgb24);
  ASSERT_EQ(decoded.Width(), 37);
  ASSERT_EQ(decoded.Height(), 21);
  EXPECT_EQ(Bytes(decoded.Data(), decoded.Data() + decoded.SizeBytes()), reference.rgb);
}

TEST_F(DecodeTest, AGreyscaleSourceGivesTheTwoHundredThirtySixGreyLevels) {
  JpegRecipe recipe = ColourSpec();
  recipe.grayscale = true;
  for (DecodeDepth depth : {DecodeDepth::k24, DecodeDepth::k8}) {
    const Bitmap& decoded = Decode(MakeJpeg(recipe), depth);
    ASSERT_EQ(decoded.Format(), PixelFormat::kIndexed8);
    ASSERT_EQ(decoded.Palette().size(), 236u);
    for (int j = 0; j < 236; ++j) {
      auto v = static_cast<std::uint8_t>((j * 255 + 117) / 235);
      EXPECT_EQ(decoded.Palette()[j], (Rgb{v, v, v})) << j;
    }
  }
}

TEST_F(DecodeTest, AnRgbSourceKeepsItsColours) {
  JpegRecipe recipe = ColourSpec(32, 16);
  recipe.storeAsRgb = true;
  recipe.pixel = [](int x, int) { return x < 16 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; };
  const Bitmap& decoded = Decode(MakeJpeg(recipe));
  EXPECT_TRUE(Near(decoded.PixelRgb(4, 8), Rgb{255, 0, 0}, 2));
  EXPECT_TRUE(Near(decoded.PixelRgb(27, 8), Rgb{0, 0, 255}, 2));
}

TEST_F(DecodeTest, AProgressiveStreamDecodesToThePixelsOfItsBaselineTwin) {
  for (bool grey : {false, true}) {
    JpegRecipe recipe = ColourSpec(45, 35);
    recipe.grayscale = grey;
    Bytes baseline = MakeJpeg(recipe);
    Bytes progressive = test::ToProgressive(baseline);
    ASSERT_EQ(test::FindSegment(progressive, 0xC2).length, grey ? 11u : 17u);
    for (DecodeDepth depth : {DecodeDepth::k24, DecodeDepth::k8}) {
      Bitmap fromBaseline = Decode(baseline, depth);
      const Bitmap& fromProgressive = Decode(progressive, depth);
      ASSERT_EQ(fromProgressive.SizeBytes(), fromBaseline.SizeBytes());
      EXPECT_EQ(Bytes(fromProgressive.Data(), fromProgressive.Data() + fromProgressive.SizeBytes()),
                Bytes(fromBaseline.Data(), fromBaseline.Data() + fromBaseline.SizeBytes()))
          << grey << " " << static_cast<int>(depth);
      EXPECT_EQ(fromProgressive.Palette(), fromBaseline.Palette());
    }
  }
}

TEST_F(DecodeTest, AStreamCutShortAfterItsScanHeaderDecodesAndSaves) {
  Bytes jpeg = MakeJpeg(ColourSpec(64, 64));
  test::JpegSegment sos = test::FindSegment(jpeg, 0xDA);
  for (std::size_t extra : {std::size_t{0}, std::size_t{40}}) {
    Bytes cut(jpeg.begin(),
              jpeg.begin() + static_cast<std::ptrdiff_t>(sos.offset + 2 + sos.length + extra));
    const Bitmap& decoded = Decode(cut);
    EXPECT_EQ(decoded.Width(), 64);
    EXPECT_EQ(decoded.Height(), 64);
    TJPEGImage output(DecodeDepth::k24);
    output.Assign(decoded);
    output.SaveToFile(Path("out.jpg"));
    EXPECT_EQ(test::DecodeJpeg(test::ReadBytes(Path("out.jpg"))).width, 64);
  }
}

TEST_F(DecodeTest, AnEightBitDepthReducesAColourSourceToAtMost236Colours) {
  JpegRecipe recipe = ColourSpec(64, 64);
  recipe.pixel = [](int x, int y) {
    if (y < 16) return Rgb{255, 0, 0};
    return Rgb{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4),
               static_cast<std::uint8_t>((x * y) & 0xFF)};
  };
  const Bitmap& decoded = Decode(MakeJpeg(recipe), DecodeDepth::k8);
  ASSERT_EQ(decoded.Format(), PixelFormat::kIndexed8);
  EXPECT_LE(decoded.Palette().size(), 236u);
  EXPECT_GT(decoded.Palette().size(), 16u);
  std::set<std::uint8_t> used(decoded.Data(), decoded.Data() + decoded.SizeBytes());
  EXPECT_LT(*used.rbegin(), decoded.Palette().size());
  EXPECT_TRUE(Near(decoded.PixelRgb(30, 8), Rgb{255, 0, 0}, 24));
}

TEST_F(DecodeTest, APictureIsDecodedOnceAndDrawnIntoTheRectangle) {
  picture_.emplace(DecodeDepth::k24);
  picture_->LoadFromFile(Source("source.jpg", MakeJpeg(ColourSpec(30, 20))));
  EXPECT_FALSE(picture_->DecodedPicture());
  EXPECT_EQ(picture_->Width(), 30);
  EXPECT_EQ(picture_->Height(), 20);
  test::RecordingCanvas canvas;
  picture_->Draw(canvas, Rect{1, 2, 3, 4});
  const std::uint8_t* pixels = picture_->DecodedPicture()->Data();
  picture_->Draw(canvas, Rect{0, 0, 7, 9});
  EXPECT_EQ(canvas.draws, 2);
  EXPECT_EQ(picture_->DecodedPicture()->Data(), pixels);
  EXPECT_EQ(canvas.lastPicture, &*picture_->DecodedPicture());
  EXPECT_EQ(canvas.lastRect.right, 7);
  EXPECT_EQ(canvas.lastRect.bottom, 9);
  EXPECT_EQ(picture_->Width(), 30);
  picture_->Release();
  EXPECT_FALSE(picture_->DecodedPicture());
  EXPECT_FALSE(picture_->CompressedData());
  EXPECT_EQ(picture_->Width(), 0);
}

TEST_F(DecodeTest, ALoadReplacesTheContentAndAFailedOpenKeepsIt) {
  picture_.emplace(DecodeDepth::k24);
  picture_->LoadFromFile(Source("a.jpg", MakeJpeg(ColourSpec(30, 20))));
  test::DecodeByDrawing(*picture_);
  EXPECT_THROW(picture_->LoadFromFile(Path("missing.jpg")), EFOpenError);
  EXPECT_TRUE(picture_->DecodedPicture());
  picture_->LoadFromFile(Source("b.jpg", MakeJpeg(ColourSpec(17, 9))));
  EXPECT_FALSE(picture_->DecodedPicture());
  EXPECT_EQ(picture_->Width(), 17);
  EXPECT_EQ(picture_->Height(), 9);
  EXPECT_EQ(test::DecodeByDrawing(*picture_).Width(), 17);
}

// Flat blocks of colour (so that compression keeps them), each given as the four samples stored.
TEST_F(DecodeTest, FourComponentSourcesAreConvertedToRgb) {
  struct Colour {
    std::array<std::uint8_t, 4> ink;  // C, M, Y, K, not inverted
    Rgb rgb;
  };
  const std::vector<Colour> colours = {
      {{0, 255, 255, 0}, {255, 0, 0}},   {{255, 0, 255, 0}, {0, 255, 0}},
      {{255, 255, 0, 0}, {0, 0, 255}},   {{0, 0, 0, 0}, {255, 255, 255}},
      {{0, 0, 0, 255}, {0, 0, 0}},       {{0, 0, 0, 128}, {127, 127, 127}},
      {{0, 128, 255, 64}, {191, 95, 0}},
  };
  struct Case {
    const char* name;
    bool ycck, adobe;
  };
  for (Case c :
       {Case{"cmyk", false, true}, Case{"ycck", true, true}, Case{"plain", false, false}}) {
    JpegRecipe recipe = ColourSpec(16 * static_cast<int>(colours.size()), 16);
    recipe.cmyk = !c.ycck, recipe.ycck = c.ycck, recipe.adobeMarker = c.adobe;
    recipe.ink = [&](int x, int) {
      std::array<std::uint8_t, 4> ink = colours[x / 16].ink;
      if (c.adobe) {
        for (auto& sample : ink) sample = static_cast<std::uint8_t>(255 - sample);
      }
      return ink;
    };
    Bytes jpeg = MakeJpeg(recipe);
    const Bitmap& decoded = Decode(jpeg);
    ASSERT_EQ(decoded.Format(), PixelFormat::kRgb24) << c.name;
    for (std::size_t i = 0; i < colours.size(); ++i) {
      Rgb got = decoded.PixelRgb(static_cast<int>(i) * 16 + 8, 8);
      EXPECT_TRUE(Near(got, colours[i].rgb, 3)) << c.name << " colour " << i << ": " << int(got.r)
                                                << " " << int(got.g) << " " << int(got.b);
    }
    const Bitmap& indexed = Decode(jpeg, DecodeDepth::k8);
    ASSERT_EQ(indexed.Format(), PixelFormat::kIndexed8) << c.name;
    EXPECT_LE(indexed.Palette().size(), 236u);
    EXPECT_TRUE(Near(indexed.PixelRgb(3 * 16 + 8, 8), Rgb{255, 255, 255}, 40)) << c.name;
  }
}

}  // namespace
}  // namespace kobanto
