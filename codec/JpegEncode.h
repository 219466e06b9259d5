#pragma once

#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"

namespace kobanto::jpeg {

// Encodes picture as a baseline JFIF stream at quality (0 acts as 1, above 100 as 100): YCbCr
// with 2x2-subsampled chroma, the standard tables, one sequential scan. A picture with no pixels
// gives no bytes. Throws EJPEG (a size the format cannot hold), EOutOfMemory or EOutOfResources.
std::vector<std::uint8_t> EncodePicture(const Bitmap& picture, std::uint8_t quality);

}  // namespace kobanto::jpeg
