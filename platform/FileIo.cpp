#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <new>
#include <stdexcept>

#include "platform/Errors.h"

namespace kobanto {
namespace {

[[noreturn]] void ThrowOpenError(const std::string& path) {
  throw EFOpenError(FormatMessage(msg::kFileOpen, path));
}

[[noreturn]] void ThrowCreateError(const std::string& path) {
  throw EFCreateError(FormatMessage(msg::kFileCreate, path));
}

// A NUL byte would end the name the system sees: the file opened would be another one than the
// path names (a save folder read with a NUL in it would have the output replace that file).
bool NamesNoFile(const std::string& path) {
  return path.empty() || path.find('\0') != std::string::npos;
}

UniqueFd OpenRegularForReading(const std::string& path) {
  if (NamesNoFile(path)) ThrowOpenError(path);
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat st {};
  if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) ThrowOpenError(path);
  return fd;
}

// Reads up to size bytes; returns how many arrived before the end of the file or an error.
std::size_t ReadUpTo(int fd, std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::read(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  UniqueFd fd = OpenRegularForReading(path);
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) throw EReadError(std::string(msg::kStreamRead));
  std::vector<std::uint8_t> data;
  try {
    data.resize(static_cast<std::size_t>(st.st_size));
  } catch (const std::bad_alloc&) {
    throw EStreamError(std::string(msg::kMemoryStreamGrow));
  } catch (const std::length_error&) {
    throw EStreamError(std::string(msg::kMemoryStreamGrow));
  }
  if (ReadUpTo(fd.Get(), data.data(), data.size()) != data.size()) {
    throw EReadError(std::string(msg::kStreamRead));
  }
  return data;
}

OutputFile OutputFile::Create(const std::string& path) {
  if (NamesNoFile(path)) ThrowCreateError(path);
  UniqueFd fd(::open(path.c_str(),
                     O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
  struct stat st {};
  if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) ThrowCreateError(path);
  // Back to ordinary blocking writes now that it is known to be a regular file.
  int flags = ::fcntl(fd.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) ThrowCreateError(path);
  if (::ftruncate(fd.Get(), 0) != 0) ThrowCreateError(path);
  return OutputFile(std::move(fd));
}

void OutputFile::WriteAll(std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd_.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      (void)::ftruncate(fd_.Get(), 0);
      throw EWriteError(std::string(msg::kStreamWrite));
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace kobanto
