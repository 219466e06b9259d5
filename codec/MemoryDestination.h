#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace kobanto::jpeg {

// A destination manager that appends the library's output to a vector, which grows as needed.
// When the vector cannot grow, the library stops with its out-of-memory error.
struct MemoryDestination {
  jpeg_destination_mgr pub{};  // first, so that the library's pointer to it is a pointer to us
  std::vector<std::uint8_t>* out = nullptr;
};

// Makes destination, appending to out (emptied first), the destination of cinfo. out must
// outlive the compressor's use of it.
void Attach(j_compress_ptr cinfo, MemoryDestination& destination, std::vector<std::uint8_t>& out);

}  // namespace kobanto::jpeg
