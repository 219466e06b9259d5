#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <map>

#include "codec/JpegImage.h"
#include "platform/Errors.h"
#include "tests/codec/CodecFixture.h"
#include "tests/support/Unprivileged.h"

namespace kobanto {
namespace {

using test::HeaderSegments;
using test::JpegSegment;
using test::ReadBytes;
using Bytes = std::vector<std::uint8_t>;

class EncodeTest : public test::CodecTest {
 protected:
  // Saves picture, taken over, at quality and returns the file's bytes.
  Bytes Save(const Bitmap& picture, std::uint8_t quality = 90) {
    TJPEGImage image(DecodeDepth::k24);
    image.SetCompressionQuality(quality);
    image.Assign(picture);
    image.SaveToFile(Path("out.jpg"));
    return ReadBytes(Path("out.jpg"));
  }
};

// The first row, in natural order, of the quantization table stored in the segment at offset.
std::array<int, 8> FirstRow(const Bytes& jpeg, const JpegSegment& dqt) {
  // Zigzag positions of the natural-order entries 0..7.
  constexpr int kZigzagOfFirstRow[8] = {0, 1, 5, 6, 14, 15, 27, 28};
  std::array<int, 8> row{};
  for (int i = 0; i < 8; ++i) row[i] = jpeg[dqt.offset + 5 + kZigzagOfFirstRow[i]];
  return row;
}

Bytes SegmentBody(const Bytes& jpeg, const JpegSegment& segment) {
  auto begin = jpeg.begin() + static_cast<std::ptrdiff_t>(segment.offset + 4);
  return Bytes(begin, begin + static_cast<std::ptrdiff_t>(segment.length - 2));
}

TEST_F(EncodeTest, WritesABaselineJfifStreamInTheFixedSegmentLayout) {
  Bytes jpeg = Save(test::MakeBitmap(40, 30));

  const Bytes start = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46,
                       0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00};
  ASSERT_GT(jpeg.size(), 623u);
  EXPECT_EQ(Bytes(jpeg.begin(), jpeg.begin() + 20), start);

  std::vector<JpegSegment> segments = HeaderSegments(jpeg);
  const std::vector<std::pair<int, int>> expected = {
      {0xD8, 0},  {0xE0, 16},  {0xDB, 67}, {0xDB, 67},  {0xC0, 17},
      {0xC4, 31}, {0xC4, 181}, {0xC4, 31}, {0xC4, 181}, {0xDA, 12}};
  ASSERT_EQ(segments.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(segments[i].marker, expected[i].first) << i;
    EXPECT_EQ(segments[i].length, static_cast<std::size_t>(expected[i].second)) << i;
  }
  EXPECT_EQ(jpeg[segments[2].offset + 4], 0x00);
  EXPECT_EQ(jpeg[segments[3].offset + 4], 0x01);
  EXPECT_EQ(SegmentBody(jpeg, segments[4]),
            (Bytes{8, 0, 30, 0, 40, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
  // Table K.3 (DC luminance) and K.4 (DC chrominance); the AC tables K.5 and K.6 by their class.
  Bytes dcLuminance = {0x00, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0,  0, 0,
                       0,    0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  Bytes dcChrominance = {0x01, 0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0,  0, 0,
                         0,    0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  EXPECT_EQ(SegmentBody(jpeg, segments[5]), dcLuminance);
  EXPECT_EQ(jpeg[segments[6].offset + 4], 0x10);
  EXPECT_EQ(SegmentBody(jpeg, segments[7]), dcChrominance);
  EXPECT_EQ(jpeg[segments[8].offset + 4], 0x11);
  EXPECT_EQ(SegmentBody(jpeg, segments[9]), (Bytes{3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0}));

  // The entropy-coded data runs from offset 623 to the end-of-image marker, without restart
  // markers or any other segment: every FF inside it is a stuffed FF 00.
  EXPECT_EQ(segments.back().offset + 2 + segments.back().length, 623u);
  EXPECT_EQ(Bytes(jpeg.end() - 2, jpeg.end()), (Bytes{0xFF, 0xD9}));
  for (std::size_t at = 623; at + 2 < jpeg.size(); ++at) {
    if (jpeg[at] == 0xFF) {
      EXPECT_EQ(jpeg[at + 1], 0x00) << at;
    }
  }
}

TEST_F(EncodeTest, QualityScalesTheStandardTablesAndIsClampedToOneToHundred) {
  struct Case {
    int quality;
    std::array<int, 8> luminance, chrominance;
  };
  const std::array<int, 8> all255 = {255, 255, 255, 255, 255, 255, 255, 255};
  const std::array<int, 8> all1 = {1, 1, 1, 1, 1, 1, 1, 1};
  const Case cases[] = {
      {0, all255, all255},
      {1, all255, all255},
      {50, {16, 11, 10, 16, 24, 40, 51, 61}, {17, 18, 24, 47, 99, 99, 99, 99}},
      {55, {14, 10, 9, 14, 22, 36, 46, 55}, {15, 16, 22, 42, 89, 89, 89, 89}},
      {90, {3, 2, 2, 3, 5, 8, 10, 12}, {3, 4, 5, 9, 20, 20, 20, 20}},
      {100, all1, all1},
      {101, all1, all1},
      {255, all1, all1},
  };
  const Bitmap picture = test::MakeBitmap(24, 24);
  std::map<int, Bytes> files;
  for (const Case& c : cases) {
    Bytes jpeg = Save(picture, static_cast<std::uint8_t>(c.quality));
    std::vector<JpegSegment> segments = HeaderSegments(jpeg);
    EXPECT_EQ(FirstRow(jpeg, segments[2]), c.luminance) << c.quality;
    EXPECT_EQ(FirstRow(jpeg, segments[3]), c.chrominance) << c.quality;
    files[c.quality] = jpeg;
  }
  EXPECT_EQ(files[0], files[1]);
  EXPECT_EQ(files[100], files[255]);
  EXPECT_NE(files[90], files[100]);
}

TEST_F(EncodeTest, OnePixelMakesAValidFileAndNoPixelsMakeAnEmptyOne) {
  Bytes one = Save(test::MakeBitmap(1, 1, [](int, int) { return Rgb{200, 30, 40}; }));
  test::DecodedImage decoded = test::DecodeJpeg(one);
  EXPECT_EQ(decoded.width, 1);
  EXPECT_EQ(decoded.height, 1);
  EXPECT_EQ(test::FindSegment(one, 0xC0).length, 17u);

  for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
    EXPECT_TRUE(Save(Bitmap(w, h, PixelFormat::kRgb24)).empty()) << w << "x" << h;
  }
  // A picture that never took anything over saves as 0 bytes too.
  TJPEGImage empty(DecodeDepth::k24);
  empty.SaveToFile(Path("empty.jpg"));
  EXPECT_TRUE(test::Exists(Path("empty.jpg")));
  EXPECT_TRUE(ReadBytes(Path("empty.jpg")).empty());
}

TEST_F(EncodeTest, AnIndexedPictureIsEncodedInItsPaletteColours) {
  Bitmap indexed(16, 16, PixelFormat::kIndexed8);
  indexed.SetPalette({{255, 0, 0}, {0, 0, 255}});
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) indexed.Row(y)[x] = x < 8 ? 0 : 1;
  }
  test::DecodedImage decoded = test::DecodeJpeg(Save(indexed));
  Rgb red = decoded.At(2, 8), blue = decoded.At(13, 8);
  EXPECT_GT(red.r, 200);
  EXPECT_LT(red.b, 60);
  EXPECT_GT(blue.b, 200);
  EXPECT_LT(blue.r, 60);
}

TEST_F(EncodeTest, AGreySourceBecomesAThreeComponentGreyOutput) {
  test::JpegRecipe recipe;
  recipe.width = 32, recipe.height = 24, recipe.grayscale = true;
  std::string source = Path("grey.jpg");
  test::WriteJpeg(source, recipe);
  TJPEGImage grey(DecodeDepth::k24);
  grey.LoadFromFile(source);
  Bytes jpeg = Save(test::DecodeByDrawing(grey));
  test::DecodedImage decoded = test::DecodeJpeg(jpeg);
  EXPECT_EQ(decoded.components, 3);
  for (int y = 0; y < decoded.height; y += 5) {
    for (int x = 0; x < decoded.width; x += 5) {
      Rgb c = decoded.At(x, y);
      EXPECT_LE(std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}), 3) << x << "," << y;
    }
  }
}

TEST_F(EncodeTest, AnEncodedPictureSavesTheSameBytesAgainWithoutEncoding) {
  TJPEGImage image(DecodeDepth::k24);
  image.Assign(test::MakeBitmap(20, 20));
  image.SaveToFile(Path("a.jpg"));
  const std::uint8_t* encoded = image.CompressedData()->data();
  image.SetCompressionQuality(10);
  image.SaveToFile(Path("b.jpg"));
  EXPECT_EQ(image.CompressedData()->data(), encoded);
  EXPECT_EQ(ReadBytes(Path("a.jpg")), ReadBytes(Path("b.jpg")));
  // The taken-over picture stays the decoded picture.
  EXPECT_EQ(image.Width(), 20);
}

TEST_F(EncodeTest, AnEncodeFailureAfterCreateLeavesAnEmptyFile) {
  test::WriteText(Path("wide.jpg"), "old contents");
  TJPEGImage image(DecodeDepth::k24);
  image.Assign(Bitmap(65501, 1, PixelFormat::kRgb24));
  EXPECT_EQ(test::OutcomeOf([&] { image.SaveToFile(Path("wide.jpg")); }), test::JpegError(40));
  EXPECT_TRUE(test::Exists(Path("wide.jpg")));
  EXPECT_TRUE(ReadBytes(Path("wide.jpg")).empty());
}

TEST_F(EncodeTest, AnOutputInAMissingFolderIsTheCreateErrorAndNoFile) {
  TJPEGImage image(DecodeDepth::k24);
  image.Assign(test::MakeBitmap(8, 8));
  const std::string path = Path("missing/out.jpg");
  EXPECT_EQ(test::OutcomeOf([&] { image.SaveToFile(path); }),
            (test::Outcome{"EFCreateError", "ファイル " + path + " を作成できません"}));
  EXPECT_FALSE(test::Exists(path));
}

TEST_F(EncodeTest, AShortWriteIsReportedAndLeavesAnEmptyFile) {
  ::chmod(dir_.Path().c_str(), 0777);
  const std::string path = Path("big.jpg");
  int rc = test::RunUnprivileged([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    TJPEGImage image(DecodeDepth::k24);
    image.Assign(test::MakeBitmap(64, 64));
    test::Outcome outcome = test::OutcomeOf([&] { image.SaveToFile(path); });
    return outcome == test::Outcome{"EWriteError", "ストリームへの書き込みエラー"} ? 0 : 1;
  });
  EXPECT_EQ(rc, 0);
  EXPECT_TRUE(ReadBytes(path).empty());
}

}  // namespace
}  // namespace kobanto
