#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kobanto {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// How a bitmap stores its pixels. Rows run from top to bottom, without padding.
enum class PixelFormat {
  kIndexed8,  // one byte per pixel, an index into the palette
  kRgb555,    // two bytes per pixel (native order): 5 bits each of red, green, blue; top bit 0
  kRgb565,    // two bytes per pixel (native order): 5 bits red, 6 bits green, 5 bits blue
  kRgb24,     // three bytes per pixel: red, green, blue
};

int BytesPerPixel(PixelFormat format);

// The program's platform bitmap: the decoded picture, the intermediate picture and the encoder's
// 24-bit copy. A bitmap with a width or height of 0 holds no pixels at all.
class Bitmap {
 public:
  // Bitmaps of more pixel data than this are refused, as a 32-bit system refuses them.
  static constexpr std::uint64_t kMaxPixelBytes = std::uint64_t{1} << 31;

  Bitmap() = default;
  // Allocates width x height pixels, uninitialised. Throws EOutOfResources "パラメータが間違って
  // います" for a negative size and "システム リソースが足りません" for more than kMaxPixelBytes or
  // when the memory cannot be had; the check comes before any allocation.
  Bitmap(int width, int height, PixelFormat format);

  Bitmap(const Bitmap& other);
  Bitmap& operator=(const Bitmap& other);
  Bitmap(Bitmap&&) noexcept = default;
  Bitmap& operator=(Bitmap&&) noexcept = default;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  PixelFormat Format() const { return format_; }
  std::size_t Stride() const { return static_cast<std::size_t>(width_) * BytesPerPixel(format_); }
  std::size_t SizeBytes() const { return Stride() * static_cast<std::size_t>(height_); }

  std::uint8_t* Row(int y) { return pixels_.get() + Stride() * static_cast<std::size_t>(y); }
  const std::uint8_t* Row(int y) const {
    return pixels_.get() + Stride() * static_cast<std::size_t>(y);
  }
  std::uint8_t* Data() { return pixels_.get(); }
  const std::uint8_t* Data() const { return pixels_.get(); }

  // The palette of a kIndexed8 bitmap (at most 256 entries).
  const std::vector<Rgb>& Palette() const { return palette_; }
  void SetPalette(std::vector<Rgb> palette) { palette_ = std::move(palette); }

  // Sets every pixel to white (every byte 0xFF for the RGB formats; for kIndexed8 the palette
  // entry closest to white).
  void FillWhite();

  // The colour of one pixel at 8 bits per channel. Reduced channels are widened by repeating
  // their top bits (31 of 5 bits becomes 255), so white stays white.
  Rgb PixelRgb(int x, int y) const;

  // A kRgb24 copy of this bitmap, for the encoder.
  Bitmap ToRgb24() const;

 private:
  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::kRgb24;
  std::unique_ptr<std::uint8_t[]> pixels_;
  std::vector<Rgb> palette_;
};

// Packing and widening of the reduced 15- and 16-bit formats.
std::uint16_t PackRgb555(Rgb c);
std::uint16_t PackRgb565(Rgb c);
Rgb UnpackRgb555(std::uint16_t v);
Rgb UnpackRgb565(std::uint16_t v);

}  // namespace kobanto
