// A small JPEG cut at every byte offset, and with flipped bytes in its entropy-coded data. Every
// one is a reported JPEG error (with no output) or a finished output of the target size, as the
// library decides; in process for every case, and through the real program for a handful, which
// must end the same way.

#include <gtest/gtest.h>

#include "Unit2/ShrinkJpeg.h"
#include "platform/Errors.h"
#include "tests/support/ProgramFixture.h"

namespace kobanto::hostile {

using namespace test;
namespace {

// The picture: 32 x 24 shrunk at the default 30 % gives 9 x 7.
constexpr int kWidth = 32, kHeight = 24, kTargetWidth = 9, kTargetHeight = 7;

std::vector<std::uint8_t> SmallJpeg() {
  test::JpegRecipe recipe;
  recipe.width = kWidth;
  recipe.height = kHeight;
  recipe.quality = 50;
  return test::MakeJpeg(recipe);
}

// Where the entropy-coded data lies: after the scan header, before the end-of-image marker.
std::size_t EntropyStart(const std::vector<std::uint8_t>& jpeg) {
  const test::JpegSegment sos = test::FindSegment(jpeg, 0xDA);
  return sos.offset + 2 + sos.length;
}

// How a shrink of a damaged source ended: the error's message, or empty for an output.
struct Outcome {
  std::string error;
  std::vector<std::uint8_t> output;
};

class DamagedPictureTest : public ProgramTest {
 protected:
  // Shrinks bytes in process (no settings file: 30 %) and checks what it left.
  Outcome ShrinkInProcess(const std::vector<std::uint8_t>& bytes, int displayDepth,
                          const std::string& what) {
    const std::string source = Path("in/damaged.jpg"), output = Path("out/S_damaged.jpg");
    test::WriteBytes(source, bytes);
    ::unlink(output.c_str());
    Outcome outcome;
    try {
      ShrinkJpeg(source, output, ShrinkContext{Folder(), DisplayFormat{displayDepth}});
    } catch (const EJPEG& e) {
      outcome.error = e.Message();
      EXPECT_FALSE(test::Exists(output)) << what << ": a failed load or decode wrote an output";
      return outcome;
    } catch (const Exception& e) {
      ADD_FAILURE() << what << ": not a JPEG error: " << e.Message();
      return outcome;
    }
    outcome.output = test::ReadBytes(output);
    try {
      const test::DecodedImage picture = test::DecodeJpeg(outcome.output);
      EXPECT_EQ(picture.width, kTargetWidth) << what;
      EXPECT_EQ(picture.height, kTargetHeight) << what;
    } catch (const std::exception& e) {
      ADD_FAILURE() << what << ": the output is not a whole JPEG: " << e.what();
    }
    return outcome;
  }

  // The same damaged source through the program, which must end as the shrink in process did.
  void ExpectProgramAgrees(const std::vector<std::uint8_t>& bytes, const std::string& what) {
    const Outcome expected = ShrinkInProcess(bytes, 32, what);
    test::WriteBytes(Path("in/damaged.jpg"), bytes);
    Watch(Path("in/damaged.jpg"));
    ::unlink(Path("out/S_damaged.jpg").c_str());
    auto result = Run({Path("in/damaged.jpg")});
    if (expected.error.empty()) {
      EXPECT_EQ(result.status, 0) << what << ": " << result.err;
      EXPECT_EQ(test::ReadBytes(Path("out/S_damaged.jpg")), expected.output) << what;
    } else {
      EXPECT_EQ(result.status, 1) << what;
      EXPECT_EQ(result.err, Reported(expected.error)) << what;
      EXPECT_FALSE(test::Exists(Path("out/S_damaged.jpg"))) << what;
    }
  }
};

TEST_F(DamagedPictureTest, CutAtEveryOffset) {
  const std::vector<std::uint8_t> jpeg = SmallJpeg();
  ASSERT_LT(jpeg.size(), 1200u);
  int errors = 0, outputs = 0;
  for (std::size_t cut = 0; cut < jpeg.size(); ++cut) {
    const std::vector<std::uint8_t> prefix(jpeg.begin(), jpeg.begin() + cut);
    for (int depth : {32, 8}) {
      const Outcome outcome = ShrinkInProcess(
          prefix, depth, "cut at " + std::to_string(cut) + ", depth " + std::to_string(depth));
      ++(outcome.error.empty() ? outputs : errors);
    }
  }
  // A cut in the header is an error, a cut in the scan is decoded as far as it goes.
  EXPECT_GT(errors, 0);
  EXPECT_GT(outputs, 0);
}

TEST_F(DamagedPictureTest, FlippedBytesInTheEntropyData) {
  const std::vector<std::uint8_t> jpeg = SmallJpeg();
  for (std::size_t at = EntropyStart(jpeg); at + 2 < jpeg.size(); ++at) {
    for (std::uint8_t mask : {0x01, 0x80, 0xFF}) {
      std::vector<std::uint8_t> damaged = jpeg;
      damaged[at] ^= mask;
      for (int depth : {32, 8}) {
        ShrinkInProcess(damaged, depth,
                        "byte " + std::to_string(at) + " ^ " + std::to_string(mask) + ", depth " +
                            std::to_string(depth));
      }
    }
  }
}

TEST_F(DamagedPictureTest, TheProgramEndsAsTheShrinkDoes) {
  WriteSettings(SettingsText(Path("out"), false));
  const std::vector<std::uint8_t> jpeg = SmallJpeg();
  const std::size_t entropy = EntropyStart(jpeg);
  for (std::size_t cut :
       {std::size_t{1}, std::size_t{2}, entropy / 2, entropy, entropy + 20, jpeg.size() - 2}) {
    ExpectProgramAgrees({jpeg.begin(), jpeg.begin() + cut}, "cut at " + std::to_string(cut));
  }
  for (std::size_t at : {entropy, entropy + 7, jpeg.size() - 3}) {
    std::vector<std::uint8_t> damaged = jpeg;
    damaged[at] ^= 0xFF;
    ExpectProgramAgrees(damaged, "byte " + std::to_string(at) + " flipped");
  }
}

}  // namespace
}  // namespace kobanto::hostile
