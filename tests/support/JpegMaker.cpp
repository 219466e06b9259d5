#include "tests/support/JpegMaker.h"

#include <cstdio>
#include <jpeglib.h>

#include <csetjmp>
#include <stdexcept>

#include "tests/support/TempDir.h"

namespace kobanto::test {
namespace {

struct ThrowingErrors {
  jpeg_error_mgr mgr;
  static void Exit(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    throw std::runtime_error(text);
  }
};

Rgb Gradient(int x, int y, int w, int h) {
  return {static_cast<std::uint8_t>(x * 255 / (w > 1 ? w - 1 : 1)),
          static_cast<std::uint8_t>(y * 255 / (h > 1 ? h - 1 : 1)),
          static_cast<std::uint8_t>((x + y) * 127 / (w + h > 2 ? w + h - 2 : 1))};
}

}  // namespace

std::vector<std::uint8_t> MakeJpeg(const JpegSpec& spec) {
  jpeg_compress_struct cinfo{};
  ThrowingErrors errors{};
  cinfo.err = jpeg_std_error(&errors.mgr);
  errors.mgr.error_exit = &ThrowingErrors::Exit;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_create_compress(&cinfo);
  try {
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(spec.width);
    cinfo.image_height = static_cast<JDIMENSION>(spec.height);
    cinfo.input_components = spec.grayscale ? 1 : 3;
    cinfo.in_color_space = spec.grayscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (spec.storeAsRgb) jpeg_set_colorspace(&cinfo, JCS_RGB);
    jpeg_set_quality(&cinfo, spec.quality, TRUE);
    if (spec.progressive) jpeg_simple_progression(&cinfo);
    if (spec.arithmetic) cinfo.arith_code = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    const int channels = cinfo.input_components;
    std::vector<JSAMPLE> row(static_cast<std::size_t>(spec.width) * channels);
    while (cinfo.next_scanline < cinfo.image_height) {
      int y = static_cast<int>(cinfo.next_scanline);
      for (int x = 0; x < spec.width; ++x) {
        Rgb c = spec.pixel ? spec.pixel(x, y) : Gradient(x, y, spec.width, spec.height);
        if (channels == 1) {
          row[x] = c.r;
        } else {
          row[x * 3] = c.r, row[x * 3 + 1] = c.g, row[x * 3 + 2] = c.b;
        }
      }
      JSAMPROW rows[1] = {row.data()};
      jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
  } catch (...) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    throw;
  }
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

void WriteJpeg(const std::string& path, const JpegSpec& spec) { WriteBytes(path, MakeJpeg(spec)); }

DecodedImage DecodeJpeg(const std::vector<std::uint8_t>& bytes) {
  jpeg_decompress_struct cinfo{};
  ThrowingErrors errors{};
  cinfo.err = jpeg_std_error(&errors.mgr);
  errors.mgr.error_exit = &ThrowingErrors::Exit;
  jpeg_create_decompress(&cinfo);
  DecodedImage image;
  try {
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    image.components = cinfo.num_components;
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    image.width = static_cast<int>(cinfo.output_width);
    image.height = static_cast<int>(cinfo.output_height);
    image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW rows[1] = {&image.rgb[static_cast<std::size_t>(cinfo.output_scanline) * image.width * 3]};
      jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
  } catch (...) {
    jpeg_destroy_decompress(&cinfo);
    throw;
  }
  jpeg_destroy_decompress(&cinfo);
  return image;
}

}  // namespace kobanto::test
