#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Bitmap.h"

namespace kobanto::jpeg {

// Four-component pictures (CMYK, and YCCK, which the library turns into CMYK) come as C, M, Y, K
// samples. Pictures with an Adobe marker, as Adobe programs write them, hold the inverted form
// (255 is no ink); others hold the plain amount of ink.
Rgb CmykToRgb(std::uint8_t c, std::uint8_t m, std::uint8_t y, std::uint8_t k, bool inverted);

// Converts one row of count CMYK pixels (4 bytes each) into count RGB pixels (3 bytes each).
void CmykRowToRgb(const std::uint8_t* cmyk, std::uint8_t* rgb, std::size_t count, bool inverted);

}  // namespace kobanto::jpeg
