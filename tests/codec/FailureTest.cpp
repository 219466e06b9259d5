#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "codec/JpegImage.h"
#include "tests/codec/CodecFixture.h"

namespace kobanto {
namespace {

using test::FindSegment;
using test::JpegError;
using test::JpegRecipe;
using test::JpegSegment;
using test::kNoError;
using test::MakeJpeg;
using test::Outcome;
using test::OutcomeOf;
using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& bytes, std::size_t at, int value) {
  bytes[at] = static_cast<std::uint8_t>(value >> 8);
  bytes[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

Bytes Baseline(bool grey = false) {
  JpegRecipe recipe;
  recipe.width = 24, recipe.height = 16, recipe.grayscale = grey;
  return MakeJpeg(recipe);
}

// The frame header's offsets: FF C0 LL LL precision height(2) width(2) count, then per component
// id, sampling, table.
constexpr std::size_t kPrecision = 4, kHeight = 5, kWidth = 7, kSampling = 11;

Bytes PatchFrame(Bytes jpeg, std::size_t field, int value, bool twoBytes) {
  JpegSegment sof = FindSegment(jpeg, 0xC0);
  if (twoBytes) {
    Put16(jpeg, sof.offset + field, value);
  } else {
    jpeg[sof.offset + field] = static_cast<std::uint8_t>(value);
  }
  return jpeg;
}

Bytes WithSize(Bytes jpeg, std::uint8_t sofMarker, int width, int height) {
  JpegSegment sof = FindSegment(jpeg, sofMarker);
  Put16(jpeg, sof.offset + kWidth, width);
  Put16(jpeg, sof.offset + kHeight, height);
  return jpeg;
}

Bytes Insert(Bytes jpeg, std::size_t at, const Bytes& bytes) {
  jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin(), bytes.end());
  return jpeg;
}

Bytes SegmentBytes(const Bytes& jpeg, const JpegSegment& segment) {
  auto begin = jpeg.begin() + static_cast<std::ptrdiff_t>(segment.offset);
  return Bytes(begin, begin + static_cast<std::ptrdiff_t>(2 + segment.length));
}

Bytes TwoFrames() {
  Bytes jpeg = Baseline();
  JpegSegment sof = FindSegment(jpeg, 0xC0);
  return Insert(jpeg, sof.offset, SegmentBytes(jpeg, sof));
}

Bytes NoFrame() {
  Bytes jpeg = Baseline();
  JpegSegment sof = FindSegment(jpeg, 0xC0);
  auto begin = jpeg.begin() + static_cast<std::ptrdiff_t>(sof.offset);
  jpeg.erase(begin, begin + static_cast<std::ptrdiff_t>(2 + sof.length));
  return jpeg;
}

// A greyscale stream whose frame header claims count components (the scan has the first).
Bytes FrameWithComponents(std::uint8_t count) {
  Bytes jpeg = Baseline(true);
  JpegSegment sof = FindSegment(jpeg, 0xC0);
  Bytes frame = {0xFF, 0xC0, 0, static_cast<std::uint8_t>(8 + 3 * count), 8, 0, 16, 0, 24, count};
  for (std::uint8_t id = 1; id <= count; ++id) frame.insert(frame.end(), {id, 0x11, 0});
  auto begin = jpeg.begin() + static_cast<std::ptrdiff_t>(sof.offset);
  jpeg.erase(begin, begin + static_cast<std::ptrdiff_t>(2 + sof.length));
  return Insert(jpeg, sof.offset, frame);
}

// The first Huffman table claiming more than 256 codes.
Bytes TooManyHuffmanCodes() {
  Bytes jpeg = Baseline();
  JpegSegment dht = FindSegment(jpeg, 0xC4);
  for (std::size_t i = 0; i < 16; ++i) jpeg[dht.offset + 5 + i] = 0xFF;
  return jpeg;
}

Bytes Arithmetic() {
  JpegRecipe recipe;
  recipe.width = 24, recipe.height = 16, recipe.arithmetic = true;
  return MakeJpeg(recipe);
}

Bytes TwoComponents() {
  JpegRecipe recipe;
  recipe.width = 24, recipe.height = 16, recipe.unknownComponents = 2;
  return MakeJpeg(recipe);
}

// A small stream whose frame header claims a large size.
Bytes Large(bool progressive, bool grey, int width, int height) {
  JpegRecipe recipe;
  recipe.width = 24, recipe.height = 16, recipe.grayscale = grey, recipe.progressive = progressive;
  return WithSize(MakeJpeg(recipe), progressive ? 0xC2 : 0xC0, width, height);
}

class FailureTest : public test::CodecTest {};

TEST_F(FailureTest, DamagedAndUnsupportedSourcesFailWithTheirCodes) {
  struct Case {
    const char* name;
    std::function<Bytes()> bytes;
    Outcome atLoad;
    int width, height;  // after a load without error
    Outcome atDraw;
  };
  const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  const Case cases[] = {
      {"empty file", [] { return Bytes{}; }, kNoError, 0, 0, JpegError(41)},
      {"PNG bytes", [&] { return png; }, JpegError(52), 0, 0, {}},
      {"arithmetic coded", Arithmetic, kNoError, 24, 16, JpegError(1)},
      {"65501 wide", [] { return WithSize(Baseline(), 0xC0, 65501, 16); }, JpegError(40), 0, 0, {}},
      {"65501 high", [] { return WithSize(Baseline(), 0xC0, 24, 65501); }, JpegError(40), 0, 0, {}},
      {"12-bit precision",
       [] { return PatchFrame(Baseline(), kPrecision, 12, false); },
       JpegError(13),
       0,
       0,
       {}},
      {"sampling factor 5",
       [] { return PatchFrame(Baseline(), kSampling, 0x52, false); },
       JpegError(16),
       0,
       0,
       {}},
      {"two frame headers", TwoFrames, JpegError(57), 0, 0, {}},
      {"lossless frame C3",
       [] { return PatchFrame(Baseline(), 1, 0xC3, false); },
       JpegError(59),
       0,
       0,
       {}},
      {"scan before frame", NoFrame, JpegError(61), 0, 0, {}},
      {"unknown marker",
       [] {
         return Insert(Baseline(), 2, {0xFF, 0x02, 0, 4, 0, 0});
       },
       JpegError(67),
       0,
       0,
       {}},
      {"unknown marker after the scan",
       [] {
         Bytes jpeg = Baseline();
         return Insert(jpeg, jpeg.size() - 2, {0xFF, 0x02, 0, 4, 0, 0});
       },
       kNoError, 24, 16, JpegError(67)},
      {"frame length wrong",
       [] { return PatchFrame(Baseline(), 2, 17 + 3, true); },
       JpegError(9),
       0,
       0,
       {}},
      {"zero width", [] { return WithSize(Baseline(), 0xC0, 0, 16); }, JpegError(31), 0, 0, {}},
      {"eleven components", [] { return FrameWithComponents(11); }, JpegError(24), 0, 0, {}},
      {"end of image first",
       [] {
         return Bytes{0xFF, 0xD8, 0xFF, 0xD9};
       },
       JpegError(50),
       0,
       0,
       {}},
      {"over 256 Huffman codes", TooManyHuffmanCodes, JpegError(28), 0, 0, {}},
      {"two components", TwoComponents, kNoError, 24, 16, JpegError(25)},
      {"five components", [] { return FrameWithComponents(5); }, kNoError, 24, 16, JpegError(25)},
  };
  for (DecodeDepth depth : {DecodeDepth::k24, DecodeDepth::k8}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " at depth " + std::to_string(static_cast<int>(depth)));
      std::string path = Source("source.jpg", c.bytes());
      TJPEGImage picture(depth);
      EXPECT_EQ(OutcomeOf([&] { picture.LoadFromFile(path); }), c.atLoad);
      if (c.atLoad != kNoError) continue;
      EXPECT_EQ(picture.Width(), c.width);
      EXPECT_EQ(picture.Height(), c.height);
      EXPECT_EQ(OutcomeOf([&] { test::DecodeByDrawing(picture); }), c.atDraw);
      EXPECT_FALSE(picture.DecodedPicture());
    }
  }
}

// Sizes that the decoded picture, or the whole-image buffers the library needs for progressive
// streams and two-pass quantization, cannot have: refused at once, before anything large is
// allocated or decoded.
TEST_F(FailureTest, LargePicturesFailBeforeAnythingLargeIsDecoded) {
  const Outcome resources{"EOutOfResources", "システム リソースが足りません"};
  const Outcome memory{"EOutOfMemory", "メモリが足りません"};
  struct Case {
    const char* name;
    bool progressive, grey;
    int width, height;
    DecodeDepth depth;
    Outcome atDraw;
  };
  const Case cases[] = {
      {"progressive", true, false, 65500, 65000, DecodeDepth::k24, resources},
      {"progressive", true, false, 65500, 65000, DecodeDepth::k8, resources},
      {"progressive grey", true, true, 30000, 30000, DecodeDepth::k24, memory},
      {"baseline, two-pass quantized", false, false, 40000, 40000, DecodeDepth::k8, memory},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.width) + " x " +
                 std::to_string(c.height));
    TJPEGImage picture(c.depth);
    picture.LoadFromFile(Source("large.jpg", Large(c.progressive, c.grey, c.width, c.height)));
    EXPECT_EQ(picture.Width(), c.width);
    EXPECT_EQ(picture.Height(), c.height);
    EXPECT_EQ(OutcomeOf([&] { test::DecodeByDrawing(picture); }), c.atDraw);
  }
}

TEST_F(FailureTest, AnEmptyFileIsEmptyDataNotNoData) {
  TJPEGImage picture(DecodeDepth::k24);
  picture.LoadFromFile(Source("empty.jpg", {}));
  ASSERT_TRUE(picture.CompressedData());
  EXPECT_TRUE(picture.CompressedData()->empty());
}

TEST_F(FailureTest, SourcesThatCannotBeOpenedAreTheOpenError) {
  ::mkdir(Path("folder.jpg").c_str(), 0755);
  ::mkfifo(Path("fifo.jpg").c_str(), 0644);  // nobody writes to it: a blocking open would hang
  for (const std::string& path :
       {Path("missing.jpg"), Path("folder.jpg"), std::string(), Path("fifo.jpg")}) {
    TJPEGImage picture(DecodeDepth::k24);
    EXPECT_EQ(OutcomeOf([&] { picture.LoadFromFile(path); }),
              (Outcome{"EFOpenError", "ファイル " + path + " は開けません"}));
  }
}

TEST_F(FailureTest, LoadingAndDrawingLeaveTheSourceAsItWas) {
  std::string path = Source("photo.jpg", Baseline());
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  Bytes bytes = test::ReadBytes(path);
  TJPEGImage picture(DecodeDepth::k24);
  picture.LoadFromFile(path);
  test::DecodeByDrawing(picture);
  picture.Release();
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(test::ReadBytes(path), bytes);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

}  // namespace
}  // namespace kobanto
