#include "platform/DirSearch.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

namespace kobanto {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// The stored spelling of name among the entries of folder: the exact name, or else the first by
// bytes of the names that differ from it only in ASCII case. Nothing when the folder cannot be
// listed or holds no such entry.
std::optional<std::string> StoredName(const std::string& folder, const std::string& name) {
  UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return std::nullopt;
  std::optional<std::string> match;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view stored = entry->d_name;
    if (stored == name) return name;
    if (EqualsIgnoringAsciiCase(stored, name) && (!match || stored < *match)) {
      match = std::string(stored);
    }
  }
  return match;
}

std::string CollapseSlashes(const std::string& path) {
  std::string result;
  result.reserve(path.size());
  for (char c : path) {
    if (c == '/' && result.ends_with('/')) continue;
    result += c;
  }
  return result;
}

}  // namespace

bool HostDirSearch::NamesExistingFile(const std::string& path) const {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::optional<std::string> HostDirSearch::Find(const std::string& path) const {
  std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return std::nullopt;
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (auto stored = StoredName(folder, name)) return stored;
  // A folder that can be entered but not listed, or a name the kernel resolves without listing
  // it: the path still exists, so it keeps the name as given.
  if (Exists(path)) return name;
  return std::nullopt;
}

std::string AbsoluteHostPath(const std::string& path) {
  if (path.empty() || path.starts_with('/')) return CollapseSlashes(path);
  std::error_code error;
  std::string current = std::filesystem::current_path(error).string();
  if (error || current.empty()) return CollapseSlashes(path);
  return CollapseSlashes(current + "/" + path);
}

}  // namespace kobanto
