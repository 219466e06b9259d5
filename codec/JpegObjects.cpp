#include "codec/JpegObjects.h"

namespace kobanto::jpeg {

// A creation that fails leaves the object without a memory manager, which destroying it allows;
// it is destroyed here since the destructor of an unfinished object does not run. The memory
// limit replaces whatever the library took from its JPEGMEM environment variable.

Decompressor::Decompressor() {
  cinfo_.err = Install(errors_);
  if (!RunGuarded(
          errors_, [](void* c) { jpeg_create_decompress(static_cast<j_decompress_ptr>(c)); },
          &cinfo_)) {
    jpeg_destroy_decompress(&cinfo_);
    ThrowLibraryError(errors_.pub.msg_code);
  }
  cinfo_.mem->max_memory_to_use = kLibraryMemoryLimit;
}

Compressor::Compressor() {
  cinfo_.err = Install(errors_);
  if (!RunGuarded(
          errors_, [](void* c) { jpeg_create_compress(static_cast<j_compress_ptr>(c)); },
          &cinfo_)) {
    jpeg_destroy_compress(&cinfo_);
    ThrowLibraryError(errors_.pub.msg_code);
  }
  cinfo_.mem->max_memory_to_use = kLibraryMemoryLimit;
}

}  // namespace kobanto::jpeg
