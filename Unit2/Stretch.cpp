#include "Unit2/Stretch.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kobanto {
namespace {

using u128 = unsigned __int128;

// Which destination pixels the copy writes, and where they lie within the rectangle.
struct Span {
  int first = 0, last = 0;  // destination coordinates, last excluded
  long long origin = 0;     // the rectangle's edge
  long long length = 0;     // the rectangle's extent
};

Span VisibleSpan(long long from, long long to, int size) {
  Span span;
  span.origin = from;
  span.length = to - from;
  span.first = static_cast<int>(std::clamp<long long>(from, 0, size));
  span.last = static_cast<int>(std::clamp<long long>(to, 0, size));
  return span;
}

// The source position whose centre is nearest the centre of destination position d:
// floor((u + 1/2) x sourceSize / length), u being d's offset within the rectangle.
int NearestSource(const Span& span, int d, int sourceSize) {
  const auto u = static_cast<u128>(d - span.origin);
  const u128 index =
      ((2 * u + 1) * static_cast<u128>(sourceSize)) / (2 * static_cast<u128>(span.length));
  return static_cast<int>(std::min<u128>(index, static_cast<u128>(sourceSize - 1)));
}

// The source positions a destination position covers: from floor(u x size / length) up to
// floor((u + 1) x size / length), and at least one.
std::pair<int, int> CoveredSources(const Span& span, int d, int sourceSize) {
  const auto u = static_cast<u128>(d - span.origin);
  const auto size = static_cast<u128>(sourceSize);
  const auto length = static_cast<u128>(span.length);
  const int from = static_cast<int>(std::min<u128>(u * size / length, size - 1));
  const int to = static_cast<int>(std::min<u128>((u + 1) * size / length, size));
  return {from, std::max(to, from + 1)};
}

int SquaredDistance(Rgb a, Rgb b) {
  const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  return dr * dr + dg * dg + db * db;
}

// The nearest palette entry of a colour, the lowest index among equals; 0 for an empty palette.
std::uint8_t NearestIndex(const std::vector<Rgb>& palette, Rgb c) {
  std::size_t best = 0;
  int bestDistance = 1 << 30;
  for (std::size_t i = 0; i < palette.size() && bestDistance != 0; ++i) {
    const int d = SquaredDistance(c, palette[i]);
    if (d < bestDistance) best = i, bestDistance = d;
  }
  return static_cast<std::uint8_t>(best);
}

// Finds the nearest palette entry of a colour (the lowest index among equals), remembering recent
// answers so that pictures with few colours cost one scan per colour.
class ColourMatcher {
 public:
  explicit ColourMatcher(const std::vector<Rgb>& palette) : palette_(palette) {
    cache_.fill(Entry{});
  }

  std::uint8_t Nearest(Rgb c) {
    const std::uint32_t key = (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
    Entry& entry = cache_[(key * 2654435761u) >> (32 - kCacheBits)];
    if (entry.key != key + 1) entry = Entry{key + 1, NearestIndex(palette_, c)};
    return entry.index;
  }

 private:
  static constexpr int kCacheBits = 12;
  struct Entry {
    std::uint32_t key = 0;  // colour + 1; 0 marks an empty slot
    std::uint8_t index = 0;
  };

  const std::vector<Rgb>& palette_;
  std::array<Entry, std::size_t{1} << kCacheBits> cache_;
};

// The source colour of each possible palette index; indices past the palette read as black.
std::array<Rgb, 256> SourceColours(const Bitmap& source) {
  std::array<Rgb, 256> colours{};
  const auto& palette = source.Palette();
  std::copy_n(palette.begin(), std::min<std::size_t>(palette.size(), 256), colours.begin());
  return colours;
}

// The palette index of each source colour in the destination palette: the same colour when the
// palette has it, a new entry while there is room, else the nearest.
std::array<std::uint8_t, 256> RealizePalette(const std::array<Rgb, 256>& colours, int used,
                                             std::vector<Rgb>& palette, std::size_t capacity) {
  std::array<std::uint8_t, 256> indices{};
  for (int i = 0; i < used; ++i) {
    auto found = std::find(palette.begin(), palette.end(), colours[i]);
    if (found == palette.end() && palette.size() < std::min<std::size_t>(capacity, 256)) {
      palette.push_back(colours[i]);
      found = palette.end() - 1;
    }
    if (found != palette.end()) {
      indices[i] = static_cast<std::uint8_t>(found - palette.begin());
    } else {
      indices[i] = NearestIndex(palette, colours[i]);
    }
  }
  return indices;
}

std::uint16_t Pack(PixelFormat format, Rgb c) {
  return format == PixelFormat::kRgb565 ? PackRgb565(c) : PackRgb555(c);
}

// For each palette index of the source, the bytes of the destination pixel it becomes.
std::vector<std::uint8_t> IndexedLookup(const Bitmap& source, Bitmap& destination,
                                        std::size_t capacity) {
  const std::array<Rgb, 256> colours = SourceColours(source);
  std::vector<std::uint8_t> lookup(256 * 3);
  switch (destination.Format()) {
    case PixelFormat::kRgb24:
      for (int i = 0; i < 256; ++i) {
        lookup[i * 3] = colours[i].r, lookup[i * 3 + 1] = colours[i].g;
        lookup[i * 3 + 2] = colours[i].b;
      }
      break;
    case PixelFormat::kRgb555:
    case PixelFormat::kRgb565:
      for (int i = 0; i < 256; ++i) {
        const std::uint16_t v = Pack(destination.Format(), colours[i]);
        std::memcpy(&lookup[i * 3], &v, 2);
      }
      break;
    case PixelFormat::kIndexed8: {
      // Only the colours the source's palette holds are added; indices past it read as black and
      // take the nearest entry without growing the palette.
      const auto used = static_cast<int>(std::min<std::size_t>(source.Palette().size(), 256));
      std::vector<Rgb> palette = destination.Palette();
      const auto realized = RealizePalette(colours, used, palette, capacity);
      ColourMatcher matcher(palette);
      for (int i = 0; i < 256; ++i) {
        lookup[i * 3] = i < used ? realized[i] : matcher.Nearest(colours[i]);
      }
      destination.SetPalette(std::move(palette));
      break;
    }
  }
  return lookup;
}

// The byte offset within a source row of the pixel each visible destination column copies; they
// never decrease from left to right.
std::vector<std::size_t> ColumnOffsets(const Span& xs, const Bitmap& source) {
  const int sourceBytes = BytesPerPixel(source.Format());
  std::vector<std::size_t> columns(static_cast<std::size_t>(xs.last - xs.first));
  for (int x = xs.first; x < xs.last; ++x) {
    columns[x - xs.first] =
        static_cast<std::size_t>(NearestSource(xs, x, source.Width())) * sourceBytes;
  }
  return columns;
}

// Nearest-neighbour rows: the column table and the row index are computed once, and each pixel
// is one conversion written inline by the caller's pixel function.
template <int DestinationBytes, typename PixelFunction>
void CopyNearest(Bitmap& destination, const Span& xs, const Span& ys, const Bitmap& source,
                 PixelFunction pixel) {
  const std::vector<std::size_t> columns = ColumnOffsets(xs, source);
  for (int y = ys.first; y < ys.last; ++y) {
    const std::uint8_t* from = source.Row(NearestSource(ys, y, source.Height()));
    std::uint8_t* to = destination.Row(y) + static_cast<std::size_t>(xs.first) * DestinationBytes;
    for (std::size_t offset : columns) {
      pixel(from + offset, to);
      to += DestinationBytes;
    }
  }
}

// 24-bit pixels into 24-bit pixels, the copy of every conversion on a full-colour display: each
// pixel moves as one 4-byte load and store, the store's fourth byte being overwritten by the next
// pixel. The row's last pixel is stored as 3 bytes, so that nothing is written past the row, and a
// source pixel at the end of its row is loaded as 3 bytes, so that nothing is read past it.
void CopyNearestRgb24(Bitmap& destination, const Span& xs, const Span& ys, const Bitmap& source) {
  const std::vector<std::size_t> columns = ColumnOffsets(xs, source);
  const std::size_t count = columns.size();
  std::size_t wide = count - 1;
  while (wide > 0 && columns[wide - 1] + 4 > source.Stride()) --wide;
  for (int y = ys.first; y < ys.last; ++y) {
    const std::uint8_t* from = source.Row(NearestSource(ys, y, source.Height()));
    std::uint8_t* to = destination.Row(y) + static_cast<std::size_t>(xs.first) * 3;
    for (std::size_t i = 0; i < wide; ++i) {
      std::uint32_t pixel;
      std::memcpy(&pixel, from + columns[i], 4);
      std::memcpy(to + i * 3, &pixel, 4);
    }
    for (std::size_t i = wide; i < count; ++i) std::memcpy(to + i * 3, from + columns[i], 3);
  }
}

void StretchNearest(Bitmap& destination, const Span& xs, const Span& ys, const Bitmap& source,
                    std::size_t capacity) {
  const PixelFormat format = destination.Format();
  if (source.Format() == PixelFormat::kIndexed8) {
    const std::vector<std::uint8_t> lookup = IndexedLookup(source, destination, capacity);
    const std::uint8_t* table = lookup.data();
    if (format == PixelFormat::kRgb24) {
      CopyNearest<3>(destination, xs, ys, source, [table](const std::uint8_t* s, std::uint8_t* d) {
        std::memcpy(d, table + *s * 3, 3);
      });
    } else if (format == PixelFormat::kIndexed8) {
      CopyNearest<1>(destination, xs, ys, source,
                     [table](const std::uint8_t* s, std::uint8_t* d) { *d = table[*s * 3]; });
    } else {
      CopyNearest<2>(destination, xs, ys, source, [table](const std::uint8_t* s, std::uint8_t* d) {
        std::memcpy(d, table + *s * 3, 2);
      });
    }
    return;
  }
  switch (format) {
    case PixelFormat::kRgb24:
      CopyNearestRgb24(destination, xs, ys, source);
      break;
    case PixelFormat::kRgb565:
      CopyNearest<2>(destination, xs, ys, source, [](const std::uint8_t* s, std::uint8_t* d) {
        const auto v =
            static_cast<std::uint16_t>(((s[0] >> 3) << 11) | ((s[1] >> 2) << 5) | (s[2] >> 3));
        std::memcpy(d, &v, 2);
      });
      break;
    case PixelFormat::kRgb555:
      CopyNearest<2>(destination, xs, ys, source, [](const std::uint8_t* s, std::uint8_t* d) {
        const auto v =
            static_cast<std::uint16_t>(((s[0] >> 3) << 10) | ((s[1] >> 3) << 5) | (s[2] >> 3));
        std::memcpy(d, &v, 2);
      });
      break;
    case PixelFormat::kIndexed8: {
      ColourMatcher matcher(destination.Palette());
      CopyNearest<1>(destination, xs, ys, source,
                     [&matcher](const std::uint8_t* s, std::uint8_t* d) {
                       *d = matcher.Nearest({s[0], s[1], s[2]});
                     });
      break;
    }
  }
}

std::uint8_t Clamp8(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Floyd-Steinberg error diffusion onto a palette, one row at a time: each pixel takes the nearest
// palette colour of its wanted colour plus the error carried to it, and passes its own error on
// (7/16 right, 3/16 below left, 5/16 below, 1/16 below right). A colour the palette holds comes
// through unchanged.
class Diffusion {
 public:
  Diffusion(const std::vector<Rgb>& palette, std::size_t width)
      : palette_(palette), matcher_(palette), current_((width + 2) * 3), next_((width + 2) * 3) {}

  // Maps one row of wanted colours to palette indices.
  void Row(const std::vector<Rgb>& wanted, std::uint8_t* out) {
    std::fill(next_.begin(), next_.end(), 0);
    for (std::size_t i = 0; i < wanted.size(); ++i) {
      int* carried = &current_[(i + 1) * 3];
      const int r = Clamp8(wanted[i].r + carried[0] / 16);
      const int g = Clamp8(wanted[i].g + carried[1] / 16);
      const int b = Clamp8(wanted[i].b + carried[2] / 16);
      const std::uint8_t index =
          matcher_.Nearest({static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                            static_cast<std::uint8_t>(b)});
      out[i] = index;
      const Rgb chosen = index < palette_.size() ? palette_[index] : Rgb{};
      const int error[3] = {r - chosen.r, g - chosen.g, b - chosen.b};
      for (int c = 0; c < 3; ++c) {
        carried[3 + c] += error[c] * 7;
        next_[i * 3 + c] += error[c] * 3;
        next_[(i + 1) * 3 + c] += error[c] * 5;
        next_[(i + 2) * 3 + c] += error[c];
      }
    }
    std::swap(current_, next_);
  }

 private:
  const std::vector<Rgb>& palette_;
  ColourMatcher matcher_;
  std::vector<int> current_, next_;  // errors x 16, with a spare column at each end
};

// Writes a row of colours from column first on: through the diffusion for a palette
// destination, else converted to the destination's format.
void WriteRow(Bitmap& destination, int y, int first, const std::vector<Rgb>& colours,
              Diffusion& diffusion) {
  std::uint8_t* out =
      destination.Row(y) + static_cast<std::size_t>(first) * BytesPerPixel(destination.Format());
  switch (destination.Format()) {
    case PixelFormat::kIndexed8:
      diffusion.Row(colours, out);
      break;
    case PixelFormat::kRgb24:
      for (const Rgb& c : colours) *out++ = c.r, *out++ = c.g, *out++ = c.b;
      break;
    case PixelFormat::kRgb555:
    case PixelFormat::kRgb565:
      for (const Rgb& c : colours) {
        const std::uint16_t v = Pack(destination.Format(), c);
        std::memcpy(out, &v, 2);
        out += 2;
      }
      break;
  }
}

// Halftone: each destination pixel is the average of the source block it covers, then, for a
// palette destination, dithered onto its palette by error diffusion.
void StretchHalftone(Bitmap& destination, const Span& xs, const Span& ys, const Bitmap& source) {
  const bool indexed = source.Format() == PixelFormat::kIndexed8;
  const std::array<Rgb, 256> colours = SourceColours(source);
  const auto columns = static_cast<std::size_t>(xs.last - xs.first);
  std::vector<std::pair<int, int>> covered(columns);
  for (int x = xs.first; x < xs.last; ++x)
    covered[x - xs.first] = CoveredSources(xs, x, source.Width());
  const bool toPalette = destination.Format() == PixelFormat::kIndexed8;
  Diffusion diffusion(destination.Palette(), toPalette ? columns : 0);
  std::vector<Rgb> averages(columns);
  std::vector<std::uint64_t> sums(columns * 3);
  for (int y = ys.first; y < ys.last; ++y) {
    const auto [rowFrom, rowTo] = CoveredSources(ys, y, source.Height());
    std::fill(sums.begin(), sums.end(), 0);
    for (int sy = rowFrom; sy < rowTo; ++sy) {
      const std::uint8_t* row = source.Row(sy);
      for (std::size_t i = 0; i < columns; ++i) {
        std::uint64_t* sum = &sums[i * 3];
        for (int sx = covered[i].first; sx < covered[i].second; ++sx) {
          const Rgb c =
              indexed ? colours[row[sx]] : Rgb{row[sx * 3], row[sx * 3 + 1], row[sx * 3 + 2]};
          sum[0] += c.r, sum[1] += c.g, sum[2] += c.b;
        }
      }
    }
    const std::uint64_t height = static_cast<std::uint64_t>(rowTo - rowFrom);
    for (std::size_t i = 0; i < columns; ++i) {
      const std::uint64_t count =
          height * static_cast<std::uint64_t>(covered[i].second - covered[i].first);
      const std::uint64_t* sum = &sums[i * 3];
      averages[i] = {static_cast<std::uint8_t>((sum[0] + count / 2) / count),
                     static_cast<std::uint8_t>((sum[1] + count / 2) / count),
                     static_cast<std::uint8_t>((sum[2] + count / 2) / count)};
    }
    WriteRow(destination, y, xs.first, averages, diffusion);
  }
}

}  // namespace

StretchMode ChooseStretchMode(int displayDepth, int pictureDepth) {
  return displayDepth > 8 || displayDepth >= pictureDepth ? StretchMode::kColorOnColor
                                                          : StretchMode::kHalftone;
}

int PictureDepth(const Bitmap& picture) {
  return picture.Format() == PixelFormat::kIndexed8 ? 8 : 24;
}

void StretchCopy(Bitmap& destination, const Rect& rect, const Bitmap& source, StretchMode mode,
                 std::size_t paletteCapacity) {
  const Span xs = VisibleSpan(rect.left, rect.right, destination.Width());
  const Span ys = VisibleSpan(rect.top, rect.bottom, destination.Height());
  if (xs.length <= 0 || ys.length <= 0 || xs.first >= xs.last || ys.first >= ys.last) return;
  if (source.Empty() || destination.Empty()) return;
  // The reduced formats are read through their 24-bit widening; decoded pictures never have them.
  if (source.Format() == PixelFormat::kRgb555 || source.Format() == PixelFormat::kRgb565) {
    StretchCopy(destination, rect, source.ToRgb24(), mode, paletteCapacity);
    return;
  }
  if (mode == StretchMode::kHalftone) {
    StretchHalftone(destination, xs, ys, source);
  } else {
    StretchNearest(destination, xs, ys, source, paletteCapacity);
  }
}

}  // namespace kobanto
