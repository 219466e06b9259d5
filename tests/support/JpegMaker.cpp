#include "tests/support/JpegMaker.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

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

void SetColourModel(jpeg_compress_struct& cinfo, const JpegRecipe& recipe) {
  if (recipe.cmyk || recipe.ycck) {
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
  } else if (recipe.unknownComponents > 0) {
    cinfo.input_components = recipe.unknownComponents;
    cinfo.in_color_space = JCS_UNKNOWN;
  } else {
    cinfo.input_components = recipe.grayscale ? 1 : 3;
    cinfo.in_color_space = recipe.grayscale ? JCS_GRAYSCALE : JCS_RGB;
  }
}

void FillRow(const JpegRecipe& recipe, int y, int channels, std::vector<JSAMPLE>& row) {
  for (int x = 0; x < recipe.width; ++x) {
    JSAMPLE* p = &row[static_cast<std::size_t>(x) * channels];
    if (channels == 4 && recipe.ink) {
      auto ink = recipe.ink(x, y);
      for (int c = 0; c < 4; ++c) p[c] = ink[c];
      continue;
    }
    Rgb c = recipe.pixel ? recipe.pixel(x, y) : Gradient(x, y, recipe.width, recipe.height);
    if (channels == 3) {
      p[0] = c.r, p[1] = c.g, p[2] = c.b;
    } else {
      for (int i = 0; i < channels; ++i) p[i] = c.r;
    }
  }
}

// Owns a buffer that jpeg_mem_dest allocated.
struct MemDest {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  ~MemDest() { std::free(buffer); }
  std::vector<std::uint8_t> Bytes() const { return {buffer, buffer + size}; }
};

}  // namespace

std::vector<std::uint8_t> MakeJpeg(const JpegRecipe& recipe) {
  jpeg_compress_struct cinfo{};
  ThrowingErrors errors{};
  cinfo.err = jpeg_std_error(&errors.mgr);
  errors.mgr.error_exit = &ThrowingErrors::Exit;
  MemDest dest;
  jpeg_create_compress(&cinfo);
  try {
    jpeg_mem_dest(&cinfo, &dest.buffer, &dest.size);
    cinfo.image_width = static_cast<JDIMENSION>(recipe.width);
    cinfo.image_height = static_cast<JDIMENSION>(recipe.height);
    SetColourModel(cinfo, recipe);
    jpeg_set_defaults(&cinfo);
    if (recipe.storeAsRgb) jpeg_set_colorspace(&cinfo, JCS_RGB);
    if (recipe.ycck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
    if (recipe.cmyk && !recipe.adobeMarker) cinfo.write_Adobe_marker = FALSE;
    jpeg_set_quality(&cinfo, recipe.quality, TRUE);
    if (recipe.progressive) jpeg_simple_progression(&cinfo);
    if (recipe.arithmetic) cinfo.arith_code = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    const int channels = cinfo.input_components;
    std::vector<JSAMPLE> row(static_cast<std::size_t>(recipe.width) * channels);
    while (cinfo.next_scanline < cinfo.image_height) {
      FillRow(recipe, static_cast<int>(cinfo.next_scanline), channels, row);
      JSAMPROW rows[1] = {row.data()};
      jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
  } catch (...) {
    jpeg_destroy_compress(&cinfo);
    throw;
  }
  jpeg_destroy_compress(&cinfo);
  return dest.Bytes();
}

void WriteJpeg(const std::string& path, const JpegRecipe& recipe) {
  WriteBytes(path, MakeJpeg(recipe));
}

std::vector<std::uint8_t> ToProgressive(const std::vector<std::uint8_t>& jpeg) {
  jpeg_decompress_struct in{};
  jpeg_compress_struct out{};
  ThrowingErrors inErrors{}, outErrors{};
  in.err = jpeg_std_error(&inErrors.mgr);
  inErrors.mgr.error_exit = &ThrowingErrors::Exit;
  out.err = jpeg_std_error(&outErrors.mgr);
  outErrors.mgr.error_exit = &ThrowingErrors::Exit;
  MemDest dest;
  jpeg_create_decompress(&in);
  jpeg_create_compress(&out);
  try {
    jpeg_mem_src(&in, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&in, TRUE);
    jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&in);
    jpeg_copy_critical_parameters(&in, &out);
    jpeg_simple_progression(&out);
    jpeg_mem_dest(&out, &dest.buffer, &dest.size);
    jpeg_write_coefficients(&out, coefficients);
    jpeg_finish_compress(&out);
    jpeg_finish_decompress(&in);
  } catch (...) {
    jpeg_destroy_compress(&out);
    jpeg_destroy_decompress(&in);
    throw;
  }
  jpeg_destroy_compress(&out);
  jpeg_destroy_decompress(&in);
  return dest.Bytes();
}

std::vector<JpegSegment> HeaderSegments(const std::vector<std::uint8_t>& jpeg) {
  std::vector<JpegSegment> segments;
  std::size_t at = 0;
  while (at + 1 < jpeg.size()) {
    if (jpeg[at] != 0xFF) throw std::runtime_error("no marker at " + std::to_string(at));
    JpegSegment segment{at, jpeg[at + 1], 0};
    if (segment.marker != 0xD8) {
      if (at + 3 >= jpeg.size()) throw std::runtime_error("segment cut short");
      segment.length = (std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3];
    }
    segments.push_back(segment);
    if (segment.marker == 0xDA) return segments;
    at += 2 + segment.length;
  }
  throw std::runtime_error("no scan header");
}

JpegSegment FindSegment(const std::vector<std::uint8_t>& jpeg, std::uint8_t marker) {
  for (const JpegSegment& segment : HeaderSegments(jpeg)) {
    if (segment.marker == marker) return segment;
  }
  throw std::runtime_error("no such segment");
}

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
      JSAMPROW rows[1] = {
          &image.rgb[static_cast<std::size_t>(cinfo.output_scanline) * image.width * 3]};
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
