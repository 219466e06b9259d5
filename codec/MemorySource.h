#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

#include <jpeglib.h>

namespace kobanto::jpeg {

// A source manager that hands compressed data held in memory to the library in blocks of
// kBlockSize bytes. When the data runs out, each further request gets an end-of-image marker, so
// that a stream cut short still decodes; empty data is the library's "empty input" error.
struct MemorySource {
  static constexpr std::size_t kBlockSize = 4096;

  jpeg_source_mgr pub{};  // first, so that the library's pointer to it is a pointer to us
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t handedOver = 0;  // bytes given to the library so far
};

// Makes source, reading data from its first byte, the source of cinfo. data must outlive the
// decompressor's use of it.
void Attach(j_decompress_ptr cinfo, MemorySource& source, std::span<const std::uint8_t> data);

}  // namespace kobanto::jpeg
