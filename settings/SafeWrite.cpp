#include "settings/SafeWrite.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <random>

#include "platform/ExeFolder.h"
#include "platform/UniqueFd.h"

namespace kobanto::settings {
namespace {

constexpr int kMaxLinkDepth = 40;
constexpr int kTempAttempts = 100;

std::optional<std::string> ReadLink(const std::string& path) {
  std::string buffer(256, '\0');
  for (;;) {
    ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    if (static_cast<std::size_t>(n) < buffer.size()) return buffer.substr(0, n);
    buffer.resize(buffer.size() * 2);
  }
}

// Follows symbolic links from path to the name they finally stand for, which need not exist yet
// (a link whose target is missing gets that target created).
std::optional<std::string> ResolveLinks(std::string path) {
  for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    auto target = ReadLink(path);
    if (!target || target->empty()) return std::nullopt;
    path = target->front() == '/' ? *target : FolderOf(path) + *target;
  }
  return std::nullopt;
}

bool WriteAllAt(int fd, std::string_view data, off_t offset) {
  while (!data.empty()) {
    ssize_t n = ::pwrite(fd, data.data(), data.size(), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
    offset += n;
  }
  return true;
}

std::optional<std::string> ReadAll(int fd) {
  std::string out;
  char buffer[8192];
  off_t offset = 0;
  for (;;) {
    ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return out;
    out.append(buffer, static_cast<std::size_t>(n));
    offset += n;
  }
}

// The existing file, open for reading and writing: being able to open it so is the test that it
// may be replaced. A file without any write permission is read-only also for root, as a
// read-only file is on Windows.
struct ExistingFile {
  UniqueFd fd;
  struct stat st {};
  std::string contents;
};

// False when the file exists but cannot be used; *file stays without a descriptor when it does
// not exist.
bool OpenExisting(const std::string& path, ExistingFile* file) {
  file->fd.Reset(::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!file->fd.Valid()) return errno == ENOENT;
  if (::fstat(file->fd.Get(), &file->st) != 0 || !S_ISREG(file->st.st_mode)) return false;
  if ((file->st.st_mode & 0222) == 0) return false;
  auto contents = ReadAll(file->fd.Get());
  if (!contents) return false;
  file->contents = std::move(*contents);
  return true;
}

// A temporary file beside the target, removed again unless it has been renamed into place.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { Remove(); }

  // Creates a new file named after the target; on failure returns false with errno set.
  bool Create(const std::string& folder, const std::string& base, mode_t mode) {
    static constexpr std::string_view kChars = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, kChars.size() - 1);
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
      std::string candidate = folder + "." + base + ".";
      for (int i = 0; i < 8; ++i) candidate += kChars[pick(random)];
      fd_.Reset(
          ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
      if (fd_.Valid()) {
        path_ = std::move(candidate);
        return true;
      }
      if (errno != EEXIST) return false;
    }
    return false;
  }

  int Fd() const { return fd_.Get(); }
  const std::string& Path() const { return path_; }

  // Gives the file the owner and permissions of the one it replaces. The owner is kept only where
  // this user may set it (root may); the permissions always.
  void TakeOver(const struct stat& old) {
    if (::fchown(fd_.Get(), old.st_uid, old.st_gid) != 0) {
      // Not permitted for this user: the new file stays ours.
    }
    (void)::fchmod(fd_.Get(), old.st_mode & 07777);
  }

  bool SyncAndClose() { return ::fsync(fd_.Get()) == 0 && fd_.Close(); }

  // The file now carries the target's name; nothing to remove any more.
  void Committed() { path_.clear(); }

  void Remove() {
    fd_.Reset();
    if (!path_.empty()) ::unlink(path_.c_str());
    path_.clear();
  }

 private:
  UniqueFd fd_;
  std::string path_;
};

// Whether a file of size bytes may be written under the process's file-size limit.
bool WithinFileSizeLimit(std::size_t size) {
  struct rlimit limit {};
  return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
         size <= limit.rlim_cur;
}

// Rewrites the existing file itself, for a folder that refuses new files. A text that a file-size
// limit would cut short is refused, and space for a longer text is reserved first, so that both
// are found before the old text is touched.
bool RewriteInPlace(int fd, std::string_view data, off_t oldSize) {
  if (!WithinFileSizeLimit(data.size())) return false;
  if (static_cast<off_t>(data.size()) > oldSize &&
      ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(data.size())) != 0 &&
      (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
    return false;
  }
  return WriteAllAt(fd, data, 0) && ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 &&
         ::fsync(fd) == 0;
}

bool RefusedByFolder(int error) { return error == EACCES || error == EPERM; }

// Makes the rename itself durable; a folder that cannot be synced still holds the new file.
void SyncFolder(const std::string& folder) {
  UniqueFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Valid()) (void)::fsync(dir.Get());
}

}  // namespace

bool UpdateWholeFile(const std::string& path,
                     const std::function<std::string(std::string_view)>& edit) {
  auto target = ResolveLinks(path);
  if (!target) return false;
  ExistingFile existing;
  if (!OpenExisting(*target, &existing)) return false;
  const bool exists = existing.fd.Valid();
  const std::string data = edit(existing.contents);

  const std::string folder = FolderOf(*target);
  TempFile temp;
  if (!temp.Create(folder, target->substr(folder.size()),
                   exists ? existing.st.st_mode & 0666 : 0666)) {
    return exists && RefusedByFolder(errno) &&
           RewriteInPlace(existing.fd.Get(), data, existing.st.st_size);
  }
  if (exists) temp.TakeOver(existing.st);
  if (!WriteAllAt(temp.Fd(), data, 0) || !temp.SyncAndClose()) return false;
  if (::rename(temp.Path().c_str(), target->c_str()) != 0) {
    // A folder that lets us add files but not replace this one (the sticky bit of a shared
    // folder): the file itself may still be writable.
    const int error = errno;
    temp.Remove();
    return exists && RefusedByFolder(error) &&
           RewriteInPlace(existing.fd.Get(), data, existing.st.st_size);
  }
  temp.Committed();
  SyncFolder(folder);
  return true;
}

}  // namespace kobanto::settings
