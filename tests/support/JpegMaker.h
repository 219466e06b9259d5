#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Bitmap.h"

namespace kobanto::test {

// What a test JPEG looks like. Made with libjpeg in the test itself, never taken from elsewhere.
struct JpegRecipe {
  int width = 16;
  int height = 16;
  int quality = 90;
  bool grayscale = false;
  bool progressive = false;
  bool arithmetic = false;
  bool storeAsRgb = false;  // three components stored as RGB, with an Adobe marker (transform 0)
  // The colour of each pixel; a smooth gradient when empty.
  std::function<Rgb(int x, int y)> pixel;
  // Four components, stored as CMYK (or, with ycck, as YCCK: Adobe transform 2), the samples of
  // each pixel given by ink (C, M, Y, K as written, for example in Adobe's inverted form).
  bool cmyk = false;
  bool ycck = false;
  bool adobeMarker = true;  // with cmyk: whether the Adobe marker is written
  std::function<std::array<std::uint8_t, 4>(int x, int y)> ink;
  // When not 0: that many components of no known colour space (2; the library writes no more
  // than 4), every sample the pixel's red.
  int unknownComponents = 0;
};

std::vector<std::uint8_t> MakeJpeg(const JpegRecipe& recipe);
void WriteJpeg(const std::string& path, const JpegRecipe& recipe);

// The same picture as a progressive stream holding exactly the same coefficients (a lossless
// transcode of the coefficients, as jpegtran does).
std::vector<std::uint8_t> ToProgressive(const std::vector<std::uint8_t>& jpeg);

// One marker segment of a JPEG stream's header: where its FF byte is, its marker byte and its
// length field (0 for SOI, which has none). The whole segment is 2 + length bytes.
struct JpegSegment {
  std::size_t offset = 0;
  std::uint8_t marker = 0;
  std::size_t length = 0;
};
// The segments from SOI up to and including the first scan header (SOS).
std::vector<JpegSegment> HeaderSegments(const std::vector<std::uint8_t>& jpeg);
// The first segment with this marker; throws when there is none.
JpegSegment FindSegment(const std::vector<std::uint8_t>& jpeg, std::uint8_t marker);

// Decodes a JPEG file with libjpeg to 8-bit RGB (greyscale is expanded), for checking outputs.
struct DecodedImage {
  int width = 0;
  int height = 0;
  int components = 0;  // of the stream
  std::vector<std::uint8_t> rgb;
  Rgb At(int x, int y) const {
    const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};
DecodedImage DecodeJpeg(const std::vector<std::uint8_t>& bytes);

}  // namespace kobanto::test
