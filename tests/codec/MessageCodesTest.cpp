#include "codec/MessageCodes.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <jpeglib.h>

// After jpeglib.h: the list of codes depends on the library's configuration.
#include <jerror.h>

#include "codec/JpegErrorManager.h"
#include "tests/codec/CodecFixture.h"

namespace kobanto {
namespace {

using jpeg::ShownMessageCode;

TEST(MessageCodesTest, ConditionsShowTheirOldNumbers) {
  struct Case {
    int libraryCode;
    int shown;
  };
  const Case cases[] = {
      {JERR_ARITH_NOTIMPL, 1},    {JERR_BAD_LENGTH, 9},        {JERR_BAD_PRECISION, 13},
      {JERR_BAD_SAMPLING, 16},    {JERR_COMPONENT_COUNT, 24},  {JERR_CONVERSION_NOTIMPL, 25},
      {JERR_BAD_HUFF_TABLE, 28},  {JERR_EMPTY_IMAGE, 31},      {JERR_IMAGE_TOO_BIG, 40},
      {JERR_INPUT_EMPTY, 41},     {JERR_NO_BACKING_STORE, 48}, {JERR_NO_IMAGE, 50},
      {JERR_NO_SOI, 52},          {JERR_OUT_OF_MEMORY, 53},    {JERR_SOF_DUPLICATE, 57},
      {JERR_SOF_UNSUPPORTED, 59}, {JERR_SOS_NO_SOF, 61},       {JERR_TOO_LITTLE_DATA, 66},
      {JERR_UNKNOWN_MARKER, 67},  {JERR_XMS_WRITE, 71},        {JERR_BAD_DCTSIZE, 6},
  };
  for (const Case& c : cases) EXPECT_EQ(ShownMessageCode(c.libraryCode), c.shown) << c.libraryCode;
}

TEST(MessageCodesTest, CodesTheOldReleaseLacksShowAboveTwoHundred) {
  for (int code :
       {static_cast<int>(JERR_BAD_DCT_COEF), static_cast<int>(JERR_BAD_CROP_SPEC),
        static_cast<int>(JERR_NO_ARITH_TABLE), static_cast<int>(JERR_BAD_DROP_SAMPLING)}) {
    EXPECT_EQ(ShownMessageCode(code), 200 + code);
  }
}

TEST(MessageCodesTest, LibraryErrorsBecomeTheirExceptions) {
  using test::OutcomeOf;
  EXPECT_EQ(OutcomeOf([] { jpeg::ThrowLibraryError(JERR_NO_SOI); }), test::JpegError(52));
  EXPECT_EQ(OutcomeOf([] { jpeg::ThrowLibraryError(JERR_BAD_DCT_COEF); }),
            test::JpegError(200 + JERR_BAD_DCT_COEF));
  const test::Outcome outOfMemory{"EOutOfMemory", "メモリが足りません"};
  EXPECT_EQ(OutcomeOf([] { jpeg::ThrowLibraryError(JERR_OUT_OF_MEMORY); }), outOfMemory);
  EXPECT_EQ(OutcomeOf([] { jpeg::ThrowLibraryError(JERR_NO_BACKING_STORE); }), outOfMemory);
}

}  // namespace
}  // namespace kobanto
