#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

#include <jpeglib.h>

#include "codec/JpegErrorManager.h"
#include "codec/MemoryDestination.h"
#include "codec/MemorySource.h"

namespace kobanto::jpeg {

// The most memory the library may take for its own work areas of one picture. Without a limit a
// progressive or two-pass-quantized picture of a large size would have it buffer the whole image
// (coefficients or samples, several bytes a pixel), well beyond what a 32-bit process could hold;
// the limit makes such a picture fail at once with EOutOfMemory instead of exhausting the machine.
inline constexpr long kLibraryMemoryLimit = 1L << 30;

// A decompressor with our error manager and memory source, destroyed with this object.
// Library calls go through Call, which throws their errors as exceptions.
class Decompressor {
 public:
  Decompressor();
  ~Decompressor() { jpeg_destroy_decompress(&cinfo_); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  jpeg_decompress_struct& Get() { return cinfo_; }

  // Reads data, from its first byte; data must outlive this object.
  void ReadFrom(std::span<const std::uint8_t> data) { Attach(&cinfo_, source_, data); }

  template <typename Step>
  void Call(Step&& step) {
    jpeg::Call(errors_, step);
  }

 private:
  ErrorManager errors_;
  MemorySource source_;
  jpeg_decompress_struct cinfo_{};
};

// A compressor with our error manager and memory destination, destroyed with this object.
class Compressor {
 public:
  Compressor();
  ~Compressor() { jpeg_destroy_compress(&cinfo_); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  jpeg_compress_struct& Get() { return cinfo_; }

  // Appends the output to out (emptied first); out must outlive this object.
  void WriteTo(std::vector<std::uint8_t>& out) { Attach(&cinfo_, destination_, out); }

  template <typename Step>
  void Call(Step&& step) {
    jpeg::Call(errors_, step);
  }

 private:
  ErrorManager errors_;
  MemoryDestination destination_;
  jpeg_compress_struct cinfo_{};
};

}  // namespace kobanto::jpeg
