#include "codec/JpegDecode.h"

#include <jerror.h>

#include <algorithm>
#include <vector>

#include "codec/CmykToRgb.h"
#include "codec/JpegObjects.h"
#include "platform/Profile.h"

namespace kobanto::jpeg {
namespace {

constexpr int kQuantizedColours = 236;
// Rows asked of the library per call.
constexpr JDIMENSION kRowsPerCall = 16;

bool IsQuantized(const jpeg_decompress_struct& cinfo, DecodeDepth depth) {
  return depth == DecodeDepth::k8 || cinfo.out_color_space == JCS_GRAYSCALE;
}

// The library delivers RGB, greyscale and, for four-component sources, CMYK, which we convert.
// A source of any other component count has no colours the picture could hold.
void RefuseUnsupportedSource(const jpeg_decompress_struct& cinfo) {
  // The library can decode arithmetic-coded streams; we refuse them, as the old decoder did.
  if (cinfo.arith_code) ThrowLibraryError(JERR_ARITH_NOTIMPL);
  switch (cinfo.out_color_space) {
    case JCS_RGB:
    case JCS_GRAYSCALE:
    case JCS_CMYK:
      return;
    default:
      ThrowLibraryError(JERR_CONVERSION_NOTIMPL);
  }
}

void SetDecodeParameters(jpeg_decompress_struct& cinfo, DecodeDepth depth) {
  // Everything not set here keeps the library's default: islow DCT, fancy upsampling,
  // Floyd-Steinberg dithering, two-pass quantization (one-pass for other than 3 components).
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1;
  cinfo.do_block_smoothing = TRUE;
  if (IsQuantized(cinfo, depth)) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = kQuantizedColours;
  }
}

std::vector<Rgb> PaletteOf(const jpeg_decompress_struct& cinfo) {
  std::vector<Rgb> palette(static_cast<std::size_t>(cinfo.actual_number_of_colors));
  JSAMPARRAY map = cinfo.colormap;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    switch (cinfo.out_color_components) {
      case 1:
        palette[i] = {map[0][i], map[0][i], map[0][i]};
        break;
      case 4:
        palette[i] = CmykToRgb(map[0][i], map[1][i], map[2][i], map[3][i], cinfo.saw_Adobe_marker);
        break;
      default:
        palette[i] = {map[0][i], map[1][i], map[2][i]};
        break;
    }
  }
  return palette;
}

// Reads all rows, several per call: straight into the picture's rows when the library's samples
// are the picture's pixels, else through cmykRows (kRowsPerCall rows of CMYK) and a conversion.
// Runs under the error guard, so it keeps only plain locals.
void ReadRows(jpeg_decompress_struct& cinfo, Bitmap& picture, std::vector<JSAMPLE>& cmykRows) {
  const bool direct = cmykRows.empty();
  const std::size_t cmykStride = static_cast<std::size_t>(cinfo.output_width) * 4;
  JSAMPROW rows[kRowsPerCall];
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION first = cinfo.output_scanline;
    const JDIMENSION wanted = std::min(kRowsPerCall, cinfo.output_height - first);
    for (JDIMENSION i = 0; i < wanted; ++i) {
      rows[i] = direct ? picture.Row(static_cast<int>(first + i)) : &cmykRows[i * cmykStride];
    }
    const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, wanted);
    if (got == 0) return;  // cannot happen with a memory source; the finish then reports it
    for (JDIMENSION i = 0; !direct && i < got; ++i) {
      CmykRowToRgb(rows[i], picture.Row(static_cast<int>(first + i)), cinfo.output_width,
                   cinfo.saw_Adobe_marker);
    }
  }
}

// The decoded picture, 24-bit or 8-bit as the library will deliver it.
Bitmap NewPicture(const jpeg_decompress_struct& cinfo, bool quantized) {
  KOBANTO_PROFILE_PHASE("decoded-picture");
  return Bitmap(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                quantized ? PixelFormat::kIndexed8 : PixelFormat::kRgb24);
}

}  // namespace

ImageSize ReadImageSize(std::span<const std::uint8_t> data) {
  Decompressor decompressor;
  decompressor.ReadFrom(data);
  jpeg_decompress_struct& cinfo = decompressor.Get();
  decompressor.Call([&] { jpeg_read_header(&cinfo, TRUE); });
  return {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height)};
}

Bitmap DecodePicture(std::span<const std::uint8_t> data, DecodeDepth depth) {
  Decompressor decompressor;
  decompressor.ReadFrom(data);
  jpeg_decompress_struct& cinfo = decompressor.Get();
  decompressor.Call([&] { jpeg_read_header(&cinfo, TRUE); });
  RefuseUnsupportedSource(cinfo);
  SetDecodeParameters(cinfo, depth);
  decompressor.Call([&] { jpeg_calc_output_dimensions(&cinfo); });

  // The picture comes before the library's own work areas, so that a size too large to hold is
  // refused before anything large is allocated.
  const bool quantized = IsQuantized(cinfo, depth);
  Bitmap picture = NewPicture(cinfo, quantized);
  std::vector<JSAMPLE> cmykRows;
  if (!quantized && cinfo.out_color_space == JCS_CMYK) {
    cmykRows.resize(static_cast<std::size_t>(cinfo.output_width) * 4 * kRowsPerCall);
  }

  decompressor.Call([&] { jpeg_start_decompress(&cinfo); });
  if (quantized) picture.SetPalette(PaletteOf(cinfo));
  decompressor.Call([&] { ReadRows(cinfo, picture, cmykRows); });
  decompressor.Call([&] { jpeg_finish_decompress(&cinfo); });
  return picture;
}

}  // namespace kobanto::jpeg
