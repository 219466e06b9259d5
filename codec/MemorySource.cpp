#include "codec/MemorySource.h"

#include <jerror.h>

#include <algorithm>

namespace kobanto::jpeg {
namespace {

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

MemorySource& SourceOf(j_decompress_ptr cinfo) {
  // The source manager is the first member of MemorySource.
  return *reinterpret_cast<MemorySource*>(cinfo->src);
}

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  MemorySource& source = SourceOf(cinfo);
  if (source.handedOver < source.size) {
    std::size_t block = std::min(MemorySource::kBlockSize, source.size - source.handedOver);
    source.pub.next_input_byte = source.data + source.handedOver;
    source.pub.bytes_in_buffer = block;
    source.handedOver += block;
    return TRUE;
  }
  if (source.size == 0) ERREXIT(cinfo, JERR_INPUT_EMPTY);
  WARNMS(cinfo, JWRN_JPEG_EOF);
  source.pub.next_input_byte = kEndOfImage;
  source.pub.bytes_in_buffer = sizeof kEndOfImage;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr& pub = SourceOf(cinfo).pub;
  auto remaining = static_cast<std::size_t>(count);
  while (remaining > pub.bytes_in_buffer) {
    remaining -= pub.bytes_in_buffer;
    FillInputBuffer(cinfo);
  }
  pub.next_input_byte += remaining;
  pub.bytes_in_buffer -= remaining;
}

void TermSource(j_decompress_ptr) {}

}  // namespace

void Attach(j_decompress_ptr cinfo, MemorySource& source, std::span<const std::uint8_t> data) {
  source.data = data.data();
  source.size = data.size();
  source.handedOver = 0;
  source.pub.next_input_byte = nullptr;
  source.pub.bytes_in_buffer = 0;
  source.pub.init_source = &InitSource;
  source.pub.fill_input_buffer = &FillInputBuffer;
  source.pub.skip_input_data = &SkipInputData;
  source.pub.resync_to_restart = &jpeg_resync_to_restart;
  source.pub.term_source = &TermSource;
  cinfo->src = &source.pub;
}

}  // namespace kobanto::jpeg
