#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Bitmap.h"

namespace kobanto::test {

// What a test JPEG looks like. Made with libjpeg in the test itself, never taken from elsewhere.
struct JpegSpec {
  int width = 16;
  int height = 16;
  int quality = 90;
  bool grayscale = false;
  bool progressive = false;
  bool arithmetic = false;
  bool storeAsRgb = false;  // three components stored as RGB, with an Adobe marker (transform 0)
  // The colour of each pixel; a smooth gradient when empty.
  std::function<Rgb(int x, int y)> pixel;
};

std::vector<std::uint8_t> MakeJpeg(const JpegSpec& spec);
void WriteJpeg(const std::string& path, const JpegSpec& spec);

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
