#include "codec/MemoryDestination.h"

#include <jerror.h>

namespace kobanto::jpeg {
namespace {

constexpr std::size_t kFirstBlock = 64 * 1024;

MemoryDestination& DestinationOf(j_compress_ptr cinfo) {
  // The destination manager is the first member of MemoryDestination.
  return *reinterpret_cast<MemoryDestination*>(cinfo->dest);
}

// Grows out to size bytes; false when the memory cannot be had. Catches here, since nothing may
// be thrown through the library's frames.
bool Grow(std::vector<std::uint8_t>& out, std::size_t size) noexcept {
  try {
    out.resize(size);
    return true;
  } catch (...) {
    return false;
  }
}

// Offers the part of out from used onwards as the library's free buffer.
void OfferFrom(MemoryDestination& destination, std::size_t used) {
  destination.pub.next_output_byte = destination.out->data() + used;
  destination.pub.free_in_buffer = destination.out->size() - used;
}

void InitDestination(j_compress_ptr cinfo) {
  MemoryDestination& destination = DestinationOf(cinfo);
  destination.out->clear();
  if (!Grow(*destination.out, kFirstBlock)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  OfferFrom(destination, 0);
}

// Called when the whole buffer offered is full.
boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  MemoryDestination& destination = DestinationOf(cinfo);
  std::size_t used = destination.out->size();
  if (!Grow(*destination.out, used * 2)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  OfferFrom(destination, used);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  MemoryDestination& destination = DestinationOf(cinfo);
  destination.out->resize(destination.out->size() - destination.pub.free_in_buffer);
}

}  // namespace

void Attach(j_compress_ptr cinfo, MemoryDestination& destination, std::vector<std::uint8_t>& out) {
  destination.out = &out;
  destination.pub.next_output_byte = nullptr;
  destination.pub.free_in_buffer = 0;
  destination.pub.init_destination = &InitDestination;
  destination.pub.empty_output_buffer = &EmptyOutputBuffer;
  destination.pub.term_destination = &TermDestination;
  cinfo->dest = &destination.pub;
}

}  // namespace kobanto::jpeg
