// The conversion's output, byte for byte, against a reference written as plainly as possible:
// libjpeg decodes the whole stream at the program's parameters one row at a time, a loop picks the
// nearest source pixel of each destination pixel, and libjpeg encodes the result one row at a
// time. Whatever the program does to be fast (several rows a call, a 4096-byte source, copies of
// 4 bytes, memory kept between pictures, a white fill left out) must give the same bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "Unit2/IntermediatePicture.h"
#include "Unit2/ShrinkJpeg.h"
#include "Unit2/Stretch.h"
#include "platform/Bitmap.h"
#include "platform/Cp932.h"
#include "settings/Keys.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"

namespace kobanto::test {
namespace {

struct Raster {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // rows from top to bottom, 3 bytes a pixel
  const std::uint8_t* At(int x, int y) const {
    return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
  }
};

// Full-size decode: block smoothing on, everything else the library's default (islow, fancy
// upsampling, RGB out), the whole stream in memory, one row per call.
Raster ReferenceDecode(const std::vector<std::uint8_t>& jpeg) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.do_block_smoothing = TRUE;
  jpeg_start_decompress(&cinfo);
  Raster out{static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height), {}};
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &out.rgb[static_cast<std::size_t>(cinfo.output_scanline) * out.width * 3];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return out;
}

// The source position whose centre is nearest the centre of destination position d of a
// rectangle of length cells starting at origin.
int NearestIndex(long long d, long long origin, long long length, int size) {
  const long long index = ((2 * (d - origin) + 1) * size) / (2 * length);
  return static_cast<int>(index < size - 1 ? index : size - 1);
}

Raster ReferenceStretch(const Raster& source, int width, int height) {
  Raster out{width, height,
             std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* from = source.At(NearestIndex(x, 0, width, source.width),
                                           NearestIndex(y, 0, height, source.height));
      std::uint8_t* to = &out.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      to[0] = from[0], to[1] = from[1], to[2] = from[2];
    }
  }
  return out;
}

// Baseline JFIF at quality, the library's defaults otherwise, one row per call.
std::vector<std::uint8_t> ReferenceEncode(const Raster& picture, int quality) {
  if (picture.width == 0 || picture.height == 0) return {};
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.width);
  cinfo.image_height = static_cast<JDIMENSION>(picture.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    auto* row = const_cast<JSAMPLE*>(picture.At(0, static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  jpeg_destroy_compress(&cinfo);
  return out;
}

// The size rule in percent mode: the percent as a fraction and the product, each rounded to the
// x87 extended format's 64-bit significand, truncated toward zero.
int PercentOf(int dimension, int percent) {
  return static_cast<int>(static_cast<long long>(dimension * (percent / 100.0L)));
}

// A picture with fine detail and noise, so that every coefficient and every pixel counts.
JpegRecipe NoisyPicture(int width, int height, std::uint32_t seed) {
  JpegRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.pixel = [seed, width, height](int x, int y) {
    std::uint32_t h = (static_cast<std::uint32_t>(x) * 73856093u) ^
                      (static_cast<std::uint32_t>(y) * 19349663u) ^ (seed * 83492791u);
    h ^= h >> 13, h *= 0x5bd1e995u, h ^= h >> 15;
    const int n = static_cast<int>(h % 41) - 20;
    auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return Rgb{clamp(x * 255 / width + n), clamp(y * 255 / height - n), clamp(128 + 2 * n)};
  };
  return recipe;
}

class OutputIdentityTest : public TempDirTest {
 protected:
  void WriteSettings(int percent) const {
    const std::string text = "[" + std::string(settings::kImageSection) + "]\r\n" +
                             std::string(settings::kPercentValueKey) + "=" +
                             std::to_string(percent) + "\r\n";
    WriteText(Path("kobanto.ini"), Utf8ToCp932(text).value());
  }

  // The program's output for source at percent, and the reference's.
  void ExpectSameOutput(const std::string& source, int percent) const {
    SCOPED_TRACE(source + " at " + std::to_string(percent) + " %");
    WriteSettings(percent);
    const std::string output = Path("S_out.jpg");
    ShrinkJpeg(source, output, ShrinkContext{Folder(), DisplayFormat{32}});

    const Raster decoded = ReferenceDecode(ReadBytes(source));
    const Raster shrunk = ReferenceStretch(decoded, PercentOf(decoded.width, percent),
                                           PercentOf(decoded.height, percent));
    const std::vector<std::uint8_t> expected = ReferenceEncode(shrunk, 55);
    const std::vector<std::uint8_t> actual = ReadBytes(output);
    ASSERT_EQ(actual.size(), expected.size());
    EXPECT_TRUE(actual == expected);
  }
};

TEST_F(OutputIdentityTest, ShrinkingGivesTheReferenceBytes) {
  struct Picture {
    const char* name;
    int width, height;
  };
  // Odd sizes, one pixel wide or high, and one large enough that its pictures take the memory path
  // of large bitmaps (its decoded picture is above 1 MiB, and so are its enlargements).
  const Picture pictures[] = {
      {"odd.jpg", 97, 61}, {"line.jpg", 1, 23}, {"dot.jpg", 1, 1}, {"wide.jpg", 731, 539}};
  std::uint32_t seed = 1;
  for (const Picture& p : pictures) {
    const std::string source = Path(p.name);
    WriteJpeg(source, NoisyPicture(p.width, p.height, seed++));
    for (int percent : {100, 30, 53, 250, 0}) ExpectSameOutput(source, percent);
  }
}

TEST_F(OutputIdentityTest, PicturesOneAfterAnotherGiveTheReferenceBytes) {
  // The same sizes again and again, and a smaller one between: memory that one picture frees and
  // the next one takes must not carry anything over.
  for (std::uint32_t seed : {11u, 12u, 13u}) {
    const std::string large = Path("large" + std::to_string(seed) + ".jpg");
    WriteJpeg(large, NoisyPicture(800, 600, seed));
    ExpectSameOutput(large, 30);
    const std::string small = Path("small" + std::to_string(seed) + ".jpg");
    WriteJpeg(small, NoisyPicture(50, 40, seed));
    ExpectSameOutput(small, 250);
  }
}

// The white a new intermediate picture holds stays wherever a draw leaves it uncovered, and is
// there when nothing has been drawn at all.
TEST(IntermediateWhiteTest, UncoveredPixelsStayWhiteAndCoveredOnesAreTheSource) {
  Bitmap source(13, 7, PixelFormat::kRgb24);
  for (int y = 0; y < source.Height(); ++y) {
    for (int x = 0; x < source.Width(); ++x) {
      std::uint8_t* p = source.Row(y) + x * 3;
      p[0] = static_cast<std::uint8_t>(x * 19), p[1] = static_cast<std::uint8_t>(y * 31);
      p[2] = static_cast<std::uint8_t>(x * y);
    }
  }
  constexpr int kWidth = 20, kHeight = 11;
  const Rect rects[] = {
      {0, 0, kWidth, kHeight},     // the whole picture, as a conversion draws it
      {-5, -3, kWidth + 7, 14},    // beyond every edge
      {2, 3, kWidth - 1, 9},       // inside, leaving a white border
      {kWidth, 0, kWidth + 5, 5},  // outside: nothing drawn
      {0, 0, 1, 1},                // one pixel
  };
  for (const Rect& rect : rects) {
    SCOPED_TRACE(std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
                 std::to_string(rect.right) + "," + std::to_string(rect.bottom));
    IntermediatePicture intermediate(DisplayFormat{32});
    intermediate.SetWidth(kWidth);
    intermediate.SetHeight(kHeight);
    intermediate.StretchDraw(rect, source);
    const Bitmap& drawn = intermediate.Picture();
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        Rgb expected{255, 255, 255};
        if (x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom) {
          expected = source.PixelRgb(NearestIndex(x, rect.left, rect.right - rect.left, 13),
                                     NearestIndex(y, rect.top, rect.bottom - rect.top, 7));
        }
        ASSERT_EQ(drawn.PixelRgb(x, y), expected) << x << "," << y;
      }
    }
  }

  // Nothing drawn, or only a picture without pixels: all white.
  IntermediatePicture blank(DisplayFormat{32});
  blank.SetWidth(4);
  blank.SetHeight(3);
  blank.StretchDraw(Rect{0, 0, 4, 3}, Bitmap());
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(blank.Picture().PixelRgb(x, y), (Rgb{255, 255, 255}));
  }
}

}  // namespace
}  // namespace kobanto::test
