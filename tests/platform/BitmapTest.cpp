#include "platform/Bitmap.h"

#include <gtest/gtest.h>

#include "platform/Errors.h"

namespace kobanto {
namespace {

TEST(Bitmap, RefusesImpossibleSizesBeforeAllocating) {
  struct Case {
    int width, height;
    PixelFormat format;
    const char* message;
  } cases[] = {
      {-1, 10, PixelFormat::kRgb24, "パラメータが間違っています"},
      {10, -1, PixelFormat::kIndexed8, "パラメータが間違っています"},
      {65500, 65500, PixelFormat::kRgb24, "システム リソースが足りません"},
      {46341, 46341, PixelFormat::kIndexed8, "システム リソースが足りません"},
  };
  for (const auto& c : cases) {
    try {
      Bitmap b(c.width, c.height, c.format);
      ADD_FAILURE() << c.width << "x" << c.height;
    } catch (const EOutOfResources& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(Bitmap, ZeroSizedBitmapsHoldNoPixels) {
  Bitmap b(0, 100, PixelFormat::kRgb24);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Data(), nullptr);
  Bitmap copy = b;
  EXPECT_TRUE(copy.Empty());
}

TEST(Bitmap, CopiesAreDeep) {
  Bitmap a(2, 1, PixelFormat::kRgb24);
  a.FillWhite();
  Bitmap b = a;
  b.Row(0)[0] = 0;
  EXPECT_EQ(a.PixelRgb(0, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(b.PixelRgb(0, 0), (Rgb{0, 255, 255}));
}

TEST(Bitmap, ReducedFormatsWidenBackWithWhiteStayingWhite) {
  for (PixelFormat f : {PixelFormat::kRgb555, PixelFormat::kRgb565}) {
    Bitmap b(1, 1, f);
    b.FillWhite();
    EXPECT_EQ(b.ToRgb24().PixelRgb(0, 0), (Rgb{255, 255, 255}));
  }
  EXPECT_EQ(UnpackRgb565(PackRgb565({200, 100, 50})), (Rgb{206, 101, 49}));
  EXPECT_EQ(UnpackRgb555(PackRgb555({200, 100, 50})), (Rgb{206, 99, 49}));
}

TEST(Bitmap, PaletteBitmapsConvertThroughTheirPalette) {
  Bitmap b(2, 1, PixelFormat::kIndexed8);
  b.SetPalette({{0, 0, 0}, {10, 20, 30}});
  b.Row(0)[0] = 1;
  b.Row(0)[1] = 0;
  Bitmap rgb = b.ToRgb24();
  EXPECT_EQ(rgb.PixelRgb(0, 0), (Rgb{10, 20, 30}));
  EXPECT_EQ(rgb.PixelRgb(1, 0), (Rgb{0, 0, 0}));
}

}  // namespace
}  // namespace kobanto
