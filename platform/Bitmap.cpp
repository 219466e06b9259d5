#include "platform/Bitmap.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <new>

#include "platform/Errors.h"

namespace kobanto {
namespace {

// Pixel memory of at least this size is faulted in by one call as it is allocated. Every pixel of
// a bitmap is written soon after (by the decoder, the white fill or a copy), and taking the tens of
// thousands of page faults of a photograph one by one, in the middle of the decoder's work, costs
// about half as much again as having the kernel fill all the pages in one go.
constexpr std::uint64_t kPrefaultFrom = std::uint64_t{1} << 20;

// Memory the heap hands out again (the program keeps freed memory for the next picture) is
// resident already, and asking for it anyway costs a walk over all its pages; the heap grows
// upwards, so a resident last page stands for the block. Where the kernel cannot prefault (before
// Linux 5.14) the pages come one by one as before.
void Prefault(std::uint8_t* pixels, std::size_t bytes) {
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(pixels);
  const std::uintptr_t first = (start + page - 1) / page * page;
  const std::uintptr_t last = (start + bytes) / page * page;
  if (first >= last) return;
  unsigned char resident = 0;
  if (::mincore(reinterpret_cast<void*>(last - page), page, &resident) == 0 && (resident & 1)) {
    return;
  }
  (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
}

std::unique_ptr<std::uint8_t[]> AllocatePixels(int width, int height, PixelFormat format) {
  if (width < 0 || height < 0) throw EOutOfResources(std::string(msg::kInvalidParameter));
  std::uint64_t bytes = std::uint64_t(width) * std::uint64_t(height) * BytesPerPixel(format);
  if (bytes > Bitmap::kMaxPixelBytes) throw EOutOfResources(std::string(msg::kOutOfResources));
  if (bytes == 0) return nullptr;
  try {
    auto pixels = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
    if (bytes >= kPrefaultFrom) Prefault(pixels.get(), bytes);
    return pixels;
  } catch (const std::bad_alloc&) {
    throw EOutOfResources(std::string(msg::kOutOfResources));
  }
}

std::uint8_t Widen5(unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t Widen6(unsigned v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

}  // namespace

int BytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::kIndexed8:
      return 1;
    case PixelFormat::kRgb555:
    case PixelFormat::kRgb565:
      return 2;
    case PixelFormat::kRgb24:
      return 3;
  }
  return 3;
}

std::uint16_t PackRgb555(Rgb c) {
  return static_cast<std::uint16_t>(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3));
}
std::uint16_t PackRgb565(Rgb c) {
  return static_cast<std::uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
}
Rgb UnpackRgb555(std::uint16_t v) {
  return {Widen5((v >> 10) & 31), Widen5((v >> 5) & 31), Widen5(v & 31)};
}
Rgb UnpackRgb565(std::uint16_t v) {
  return {Widen5((v >> 11) & 31), Widen6((v >> 5) & 63), Widen5(v & 31)};
}

Bitmap::Bitmap(int width, int height, PixelFormat format)
    : width_(width),
      height_(height),
      format_(format),
      pixels_(AllocatePixels(width, height, format)) {}

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_),
      height_(other.height_),
      format_(other.format_),
      pixels_(AllocatePixels(other.width_, other.height_, other.format_)),
      palette_(other.palette_) {
  if (pixels_) std::memcpy(pixels_.get(), other.pixels_.get(), SizeBytes());
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
  if (this != &other) *this = Bitmap(other);
  return *this;
}

void Bitmap::FillWhite() {
  if (!pixels_) return;
  std::uint8_t value = 0xFF;
  if (format_ == PixelFormat::kIndexed8) {
    int best = 0, bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette_.size(); ++i) {
      const Rgb& c = palette_[i];
      int d = (255 - c.r) + (255 - c.g) + (255 - c.b);
      if (d < bestDistance) best = static_cast<int>(i), bestDistance = d;
    }
    value = static_cast<std::uint8_t>(best);
  } else if (format_ == PixelFormat::kRgb555) {
    for (int y = 0; y < height_; ++y) {
      auto* row = reinterpret_cast<std::uint16_t*>(Row(y));
      for (int x = 0; x < width_; ++x) row[x] = 0x7FFF;
    }
    return;
  }
  std::memset(pixels_.get(), value, SizeBytes());
}

Rgb Bitmap::PixelRgb(int x, int y) const {
  const std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * BytesPerPixel(format_);
  switch (format_) {
    case PixelFormat::kIndexed8:
      return *p < palette_.size() ? palette_[*p] : Rgb{};
    case PixelFormat::kRgb555: {
      std::uint16_t v;
      std::memcpy(&v, p, 2);
      return UnpackRgb555(v);
    }
    case PixelFormat::kRgb565: {
      std::uint16_t v;
      std::memcpy(&v, p, 2);
      return UnpackRgb565(v);
    }
    case PixelFormat::kRgb24:
      return {p[0], p[1], p[2]};
  }
  return {};
}

Bitmap Bitmap::ToRgb24() const {
  if (format_ == PixelFormat::kRgb24) return *this;
  Bitmap out(width_, height_, PixelFormat::kRgb24);
  for (int y = 0; y < height_; ++y) {
    std::uint8_t* dst = out.Row(y);
    for (int x = 0; x < width_; ++x, dst += 3) {
      Rgb c = PixelRgb(x, y);
      dst[0] = c.r, dst[1] = c.g, dst[2] = c.b;
    }
  }
  return out;
}

}  // namespace kobanto
