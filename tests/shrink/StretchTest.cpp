#include "Unit2/Stretch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "Unit2/IntermediatePicture.h"
#include "platform/Errors.h"

namespace kobanto {
namespace {

// A 24-bit picture whose every pixel holds its own position (y x width + x) as its colour, so
// that any copied pixel tells where it came from.
Bitmap NumberedPicture(int width, int height) {
  Bitmap picture(width, height, PixelFormat::kRgb24);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = picture.Row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      const std::uint32_t index = static_cast<std::uint32_t>(y) * width + x;
      p[0] = index & 0xFF, p[1] = (index >> 8) & 0xFF, p[2] = (index >> 16) & 0xFF;
    }
  }
  return picture;
}

struct Origin {
  int x, y;
};

Origin OriginOf(const Bitmap& copy, int x, int y, int sourceWidth) {
  const Rgb c = copy.PixelRgb(x, y);
  const std::uint32_t index = c.r | (c.g << 8) | (c.b << 16);
  return {static_cast<int>(index % sourceWidth), static_cast<int>(index / sourceWidth)};
}

Bitmap White(int width, int height, PixelFormat format, std::vector<Rgb> palette = {}) {
  Bitmap bitmap(width, height, format);
  bitmap.SetPalette(std::move(palette));
  bitmap.FillWhite();
  return bitmap;
}

Bitmap NearestCopy(const Bitmap& source, int width, int height,
                   PixelFormat format = PixelFormat::kRgb24) {
  Bitmap copy = White(width, height, format);
  StretchCopy(copy, Rect{0, 0, width, height}, source, StretchMode::kColorOnColor);
  return copy;
}

// The source columns (or rows) each destination column (or row) took.
struct Choice {
  std::vector<int> columns, rows;
};

// Checks that every destination pixel is one source pixel, its column chosen by the destination
// column alone and its row by the destination row alone, each overlapping the destination
// pixel's share of the source and advancing in order.
Choice CheckNearest(const Bitmap& copy, int sourceWidth, int sourceHeight) {
  const int width = copy.Width(), height = copy.Height();
  Choice choice{std::vector<int>(width), std::vector<int>(height)};
  for (int x = 0; x < width; ++x) choice.columns[x] = OriginOf(copy, x, 0, sourceWidth).x;
  for (int y = 0; y < height; ++y) choice.rows[y] = OriginOf(copy, 0, y, sourceWidth).y;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Origin o = OriginOf(copy, x, y, sourceWidth);
      EXPECT_EQ(o.x, choice.columns[x]) << x << "," << y;
      EXPECT_EQ(o.y, choice.rows[y]) << x << "," << y;
      if (o.x != choice.columns[x] || o.y != choice.rows[y]) return choice;
    }
  }
  auto checkAxis = [](const std::vector<int>& chosen, int sourceSize) {
    const auto size = static_cast<long long>(chosen.size());
    for (long long d = 0; d < size; ++d) {
      const long long s = chosen[d];
      EXPECT_TRUE(s >= 0 && s < sourceSize);
      // The source pixel [s, s+1) overlaps the destination pixel's span [d, d+1) x source/size.
      EXPECT_LT(s * size, (d + 1) * sourceSize) << d;
      EXPECT_GT((s + 1) * size, d * sourceSize) << d;
      if (d > 0) {
        EXPECT_GE(s, chosen[d - 1]);
      }
    }
  };
  checkAxis(choice.columns, sourceWidth);
  checkAxis(choice.rows, sourceHeight);
  return choice;
}

TEST(StretchTest, NearestNeighbourCopiesOneSourcePixelPerPixel) {
  struct Size {
    int sw, sh, dw, dh;
  };
  const Size sizes[] = {{100, 80, 30, 24}, {64, 48, 160, 120}, {50, 50, 17, 93},
                        {7, 5, 1, 1},      {1, 1, 9, 4},       {640, 480, 192, 144}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(testing::Message() << s.sw << "x" << s.sh << " -> " << s.dw << "x" << s.dh);
    const Bitmap copy = NearestCopy(NumberedPicture(s.sw, s.sh), s.dw, s.dh);
    CheckNearest(copy, s.sw, s.sh);
  }
}

TEST(StretchTest, FullSizeCopyIsTheIdentity) {
  const Bitmap source = NumberedPicture(123, 45);
  const Bitmap copy = NearestCopy(source, 123, 45);
  ASSERT_EQ(copy.SizeBytes(), source.SizeBytes());
  EXPECT_EQ(std::memcmp(copy.Data(), source.Data(), source.SizeBytes()), 0);
}

// 250 % of 640 x 480: every source pixel is repeated over a block of 2 or 3 in each direction.
TEST(StretchTest, EnlargingRepeatsEverySourcePixel) {
  const Bitmap copy = NearestCopy(NumberedPicture(640, 480), 1600, 1200);
  const Choice choice = CheckNearest(copy, 640, 480);
  auto checkRuns = [](const std::vector<int>& chosen, int sourceSize) {
    std::vector<int> repeats(sourceSize, 0);
    for (int s : chosen) ++repeats[s];
    for (int s = 0; s < sourceSize; ++s) EXPECT_TRUE(repeats[s] == 2 || repeats[s] == 3) << s;
  };
  checkRuns(choice.columns, 640);
  checkRuns(choice.rows, 480);
}

// The reduced formats hold the same pixels as the 24-bit copy, each channel cut to its bits.
TEST(StretchTest, ReducedFormatsKeepTheChosenPixelsAtTheirPrecision) {
  const Bitmap source = NumberedPicture(90, 70);
  const Bitmap full = NearestCopy(source, 41, 77);
  for (PixelFormat format : {PixelFormat::kRgb565, PixelFormat::kRgb555}) {
    const Bitmap reduced = NearestCopy(source, 41, 77, format);
    ASSERT_EQ(reduced.Format(), format);
    for (int y = 0; y < 77; ++y) {
      const auto* row = reinterpret_cast<const std::uint16_t*>(reduced.Row(y));
      for (int x = 0; x < 41; ++x) {
        const Rgb c = full.PixelRgb(x, y);
        ASSERT_EQ(row[x], format == PixelFormat::kRgb565 ? PackRgb565(c) : PackRgb555(c));
      }
    }
  }
}

// A palette picture: its indices numbered like NumberedPicture's positions modulo the palette.
Bitmap PalettePicture(int width, int height, int colours) {
  Bitmap picture(width, height, PixelFormat::kIndexed8);
  std::vector<Rgb> palette;
  for (int i = 0; i < colours; ++i) {
    palette.push_back({static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i * 11 + 1),
                       static_cast<std::uint8_t>(255 - i)});
  }
  picture.SetPalette(palette);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      picture.Row(y)[x] = static_cast<std::uint8_t>((x * 3 + y) % colours);
  }
  return picture;
}

// A palette picture copies the same pixels, as colours, into every destination format; a palette
// destination takes the picture's colours into its own palette.
TEST(StretchTest, PalettePicturesKeepTheirColoursInEveryFormat) {
  const Bitmap source = PalettePicture(60, 40, 236);
  Bitmap reference = NearestCopy(source.ToRgb24(), 25, 90);
  for (PixelFormat format : {PixelFormat::kRgb24, PixelFormat::kRgb565, PixelFormat::kIndexed8}) {
    SCOPED_TRACE(static_cast<int>(format));
    Bitmap copy = White(25, 90, format,
                        format == PixelFormat::kIndexed8 ? DisplayPalette(8) : std::vector<Rgb>{});
    StretchCopy(copy, Rect{0, 0, 25, 90}, source, StretchMode::kColorOnColor, 256);
    for (int y = 0; y < 90; ++y) {
      for (int x = 0; x < 25; ++x) {
        const Rgb want = reference.PixelRgb(x, y);
        const Rgb got = copy.PixelRgb(x, y);
        if (format == PixelFormat::kRgb565) {
          ASSERT_EQ(got, UnpackRgb565(PackRgb565(want)));
        } else {
          ASSERT_EQ(got, want);
        }
      }
    }
    if (format == PixelFormat::kIndexed8) {
      EXPECT_LE(copy.Palette().size(), 256u);
    }
  }
}

// When the destination palette is full, the remaining colours take their nearest entry.
TEST(StretchTest, AFullPaletteTakesTheNearestColour) {
  const Bitmap source = PalettePicture(16, 16, 200);
  Bitmap copy = White(16, 16, PixelFormat::kIndexed8, DisplayPalette(8));
  StretchCopy(copy, Rect{0, 0, 16, 16}, source, StretchMode::kColorOnColor, 64);
  EXPECT_EQ(copy.Palette().size(), 64u);
  std::set<int> used;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) used.insert(copy.Row(y)[x]);
  }
  EXPECT_LE(used.size(), 64u);
}

TEST(StretchTest, ModeIsHalftoneOnlyBelowEightBitsAndBelowThePicture) {
  struct ModeCase {
    int display, picture;
    StretchMode mode;
  };
  const ModeCase cases[] = {
      {32, 24, StretchMode::kColorOnColor}, {24, 24, StretchMode::kColorOnColor},
      {16, 24, StretchMode::kColorOnColor}, {15, 8, StretchMode::kColorOnColor},
      {8, 8, StretchMode::kColorOnColor},   {8, 24, StretchMode::kHalftone},
      {4, 8, StretchMode::kHalftone},       {1, 8, StretchMode::kHalftone},
      {24, 8, StretchMode::kColorOnColor},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseStretchMode(c.display, c.picture), c.mode) << c.display << " " << c.picture;
  }
  EXPECT_EQ(PictureDepth(Bitmap(1, 1, PixelFormat::kIndexed8)), 8);
  EXPECT_EQ(PictureDepth(Bitmap(1, 1, PixelFormat::kRgb24)), 24);
}

Bitmap Solid(int width, int height, std::function<Rgb(int, int)> colour) {
  Bitmap picture(width, height, PixelFormat::kRgb24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = colour(x, y);
      std::uint8_t* p = picture.Row(y) + x * 3;
      p[0] = c.r, p[1] = c.g, p[2] = c.b;
    }
  }
  return picture;
}

TEST(StretchTest, HalftoneAveragesTheCoveredBlock) {
  // Black and white columns, halved: each destination pixel covers one of each.
  const Bitmap stripes = Solid(64, 32, [](int x, int) {
    return x % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
  });
  Bitmap copy = White(32, 16, PixelFormat::kRgb24);
  StretchCopy(copy, Rect{0, 0, 32, 16}, stripes, StretchMode::kHalftone);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 32; ++x) ASSERT_EQ(copy.PixelRgb(x, y), (Rgb{128, 128, 128}));
  }
}

TEST(StretchTest, HalftoneDithersToThePalette) {
  const Bitmap grey = Solid(64, 64, [](int, int) { return Rgb{128, 128, 128}; });
  Bitmap twoColours = White(32, 32, PixelFormat::kIndexed8, DisplayPalette(1));
  StretchCopy(twoColours, Rect{0, 0, 32, 32}, grey, StretchMode::kHalftone);
  int white = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const Rgb c = twoColours.PixelRgb(x, y);
      ASSERT_TRUE(c == (Rgb{0, 0, 0}) || c == (Rgb{255, 255, 255}));
      white += c.r == 255;
    }
  }
  EXPECT_GT(white, 32 * 32 * 4 / 10);
  EXPECT_LT(white, 32 * 32 * 6 / 10);

  // Colours the palette holds come through the dither unchanged.
  const std::vector<Rgb> vga = DisplayPalette(4);
  const Bitmap flags =
      Solid(40, 40, [&vga](int x, int y) { return vga[(x / 10 + y / 10 * 4) % 16]; });
  Bitmap sixteen = White(20, 20, PixelFormat::kIndexed8, vga);
  StretchCopy(sixteen, Rect{0, 0, 20, 20}, flags, StretchMode::kHalftone);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) ASSERT_EQ(sixteen.PixelRgb(x, y), vga[(x / 5 + y / 5 * 4) % 16]);
  }
  EXPECT_EQ(sixteen.Palette(), vga);
}

// A rectangle partly outside the destination writes only the destination's pixels.
TEST(StretchTest, TheCopyStaysInsideTheDestination) {
  const Bitmap source = NumberedPicture(20, 20);
  for (StretchMode mode : {StretchMode::kColorOnColor, StretchMode::kHalftone}) {
    Bitmap copy = White(10, 10, PixelFormat::kRgb24);
    StretchCopy(copy, Rect{5, 5, 25, 25}, source, mode);
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 10; ++x) {
        if (x < 5 || y < 5) {
          EXPECT_EQ(copy.PixelRgb(x, y), (Rgb{255, 255, 255}));
        }
      }
    }
    if (mode == StretchMode::kColorOnColor) {
      // The rectangle's scale holds: destination (5, 5) is the rectangle's first pixel.
      EXPECT_EQ(OriginOf(copy, 5, 5, 20).x, 0);
      EXPECT_EQ(OriginOf(copy, 9, 9, 20).y, 4);
    }
    Bitmap small = White(4, 4, PixelFormat::kRgb24);
    StretchCopy(small, Rect{-100, -50, 200, 300}, source, mode);
    StretchCopy(small, Rect{3, 3, 3, 9}, source, mode);  // empty
  }
}

TEST(IntermediatePictureTest, TakesTheDisplaysFormat) {
  struct FormatCase {
    int depth;
    PixelFormat format;
    std::size_t paletteSize;
  };
  const FormatCase cases[] = {
      {32, PixelFormat::kRgb24, 0},    {24, PixelFormat::kRgb24, 0},
      {16, PixelFormat::kRgb565, 0},   {15, PixelFormat::kRgb555, 0},
      {8, PixelFormat::kIndexed8, 20}, {4, PixelFormat::kIndexed8, 16},
      {1, PixelFormat::kIndexed8, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.depth);
    IntermediatePicture picture(DisplayFormat{c.depth});
    EXPECT_TRUE(picture.Picture().Empty());
    picture.SetWidth(7);
    EXPECT_EQ(picture.Picture().SizeBytes(), 0u);  // no pixels while the height is 0
    picture.SetHeight(5);
    const Bitmap& bitmap = picture.Picture();
    EXPECT_EQ(bitmap.Format(), c.format);
    EXPECT_EQ(bitmap.Palette().size(), c.paletteSize);
    ASSERT_EQ(bitmap.Width(), 7);
    ASSERT_EQ(bitmap.Height(), 5);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 7; ++x) ASSERT_EQ(bitmap.PixelRgb(x, y), (Rgb{255, 255, 255}));
    }
  }
}

TEST(IntermediatePictureTest, RefusesImpossibleSizes) {
  auto messageOf = [](auto action) -> std::string {
    try {
      action();
    } catch (const EOutOfResources& e) {
      return e.Message();
    }
    return "no error";
  };
  IntermediatePicture picture(DisplayFormat{32});
  EXPECT_EQ(messageOf([&] { picture.SetWidth(-1); }), msg::kInvalidParameter);
  EXPECT_EQ(messageOf([&] { picture.SetHeight(-30); }), msg::kInvalidParameter);
  picture.SetWidth(100000);  // no pixels yet
  EXPECT_EQ(messageOf([&] { picture.SetHeight(100000); }), msg::kOutOfResources);
  EXPECT_EQ(picture.Picture().SizeBytes(), 0u);
}

}  // namespace
}  // namespace kobanto
