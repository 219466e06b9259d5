#include "codec/JpegEncode.h"

#include <algorithm>
#include <optional>

#include "codec/JpegObjects.h"

namespace kobanto::jpeg {
namespace {

// Rows handed to the library per call.
constexpr JDIMENSION kRowsPerCall = 16;

void SetEncodeParameters(jpeg_compress_struct& cinfo, const Bitmap& picture, int quality) {
  cinfo.image_width = static_cast<JDIMENSION>(picture.Width());
  cinfo.image_height = static_cast<JDIMENSION>(picture.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  // The library clamps the quality to 1..100 itself; baseline keeps every entry within 1..255.
  jpeg_set_quality(&cinfo, quality, TRUE);
  // These are the library's defaults; they are set again because every output file must start
  // with exactly this JFIF marker and carry no Adobe marker.
  cinfo.write_JFIF_header = TRUE;
  cinfo.JFIF_major_version = 1;
  cinfo.JFIF_minor_version = 1;
  cinfo.density_unit = 0;
  cinfo.X_density = 1;
  cinfo.Y_density = 1;
  cinfo.write_Adobe_marker = FALSE;
}

// Runs under the error guard, so it keeps only plain locals.
void WriteRows(jpeg_compress_struct& cinfo, const Bitmap& rgb) {
  JSAMPROW rows[kRowsPerCall];
  while (cinfo.next_scanline < cinfo.image_height) {
    const JDIMENSION first = cinfo.next_scanline;
    const JDIMENSION count = std::min(kRowsPerCall, cinfo.image_height - first);
    for (JDIMENSION i = 0; i < count; ++i) {
      // The library only reads the rows it is given.
      rows[i] = const_cast<JSAMPLE*>(rgb.Row(static_cast<int>(first + i)));
    }
    if (jpeg_write_scanlines(&cinfo, rows, count) == 0) return;  // the finish reports it
  }
}

}  // namespace

std::vector<std::uint8_t> EncodePicture(const Bitmap& picture, std::uint8_t quality) {
  std::vector<std::uint8_t> out;
  if (picture.Empty()) return out;
  // The encoder takes 24-bit rows; a picture in another format is converted in a copy.
  std::optional<Bitmap> converted;
  if (picture.Format() != PixelFormat::kRgb24) converted = picture.ToRgb24();
  const Bitmap& rgb = converted ? *converted : picture;

  Compressor compressor;
  compressor.WriteTo(out);
  jpeg_compress_struct& cinfo = compressor.Get();
  compressor.Call([&] { SetEncodeParameters(cinfo, rgb, quality); });
  compressor.Call([&] { jpeg_start_compress(&cinfo, TRUE); });
  compressor.Call([&] { WriteRows(cinfo, rgb); });
  compressor.Call([&] { jpeg_finish_compress(&cinfo); });
  return out;
}

}  // namespace kobanto::jpeg
