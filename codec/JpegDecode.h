#pragma once

#include <cstdint>
#include <span>

#include "platform/Bitmap.h"
#include "platform/Display.h"

namespace kobanto::jpeg {

struct ImageSize {
  int width = 0;
  int height = 0;
};

// Reads the markers of a JPEG stream up to its first scan header and returns the frame's size.
// Throws EJPEG (a stream that is not JPEG, a damaged or unsupported header) or EOutOfMemory.
ImageSize ReadImageSize(std::span<const std::uint8_t> data);

// Decodes a JPEG stream at full size: 24-bit RGB, or 8-bit with a palette of at most 236 colours
// when depth is 8 bits or the picture is greyscale. Throws EJPEG, EOutOfMemory, or
// EOutOfResources when the picture is too large to hold.
Bitmap DecodePicture(std::span<const std::uint8_t> data, DecodeDepth depth);

}  // namespace kobanto::jpeg
