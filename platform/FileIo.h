#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"

namespace kobanto {

// Reads a whole regular file into memory. The file is opened read-only and without blocking, so a
// FIFO or a device is refused at once instead of hanging the program.
// Throws EFOpenError (missing, empty path, not a regular file, no access), EReadError (fewer
// bytes than the file's size) or EStreamError (no memory for the copy).
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// An output file, created (or truncated) before anything is written to it.
class OutputFile {
 public:
  // Opens path for writing without following a symbolic link and without blocking; anything that
  // is not a regular file is refused before it is truncated. Throws EFCreateError.
  static OutputFile Create(const std::string& path);

  // Writes all bytes. When the write cannot complete (a full disk, a file-size limit) the file is
  // cut back to 0 bytes, so that what is left never passes for a finished file, and EWriteError
  // is thrown.
  void WriteAll(std::span<const std::uint8_t> bytes);

 private:
  explicit OutputFile(UniqueFd fd) : fd_(std::move(fd)) {}
  UniqueFd fd_;
};

}  // namespace kobanto
