#include "codec/CmykToRgb.h"

namespace kobanto::jpeg {
namespace {

// What is left of a channel after its ink and the black ink, both given as the part not inked.
std::uint8_t Remaining(unsigned notInked, unsigned notBlack) {
  return static_cast<std::uint8_t>((notInked * notBlack + 127) / 255);
}

}  // namespace

Rgb CmykToRgb(std::uint8_t c, std::uint8_t m, std::uint8_t y, std::uint8_t k, bool inverted) {
  if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
  return {Remaining(c, k), Remaining(m, k), Remaining(y, k)};
}

void CmykRowToRgb(const std::uint8_t* cmyk, std::uint8_t* rgb, std::size_t count, bool inverted) {
  for (std::size_t i = 0; i < count; ++i, cmyk += 4, rgb += 3) {
    Rgb c = CmykToRgb(cmyk[0], cmyk[1], cmyk[2], cmyk[3], inverted);
    rgb[0] = c.r, rgb[1] = c.g, rgb[2] = c.b;
  }
}

}  // namespace kobanto::jpeg
