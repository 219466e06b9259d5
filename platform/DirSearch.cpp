#include "platform/DirSearch.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
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

std::optional<std::vector<std::string>> NamesIgnoringAsciiCase(const std::string& folder,
                                                               std::string_view name) {
  UniqueDir dir(::opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (EqualsIgnoringAsciiCase(entry->d_name, name)) names.emplace_back(entry->d_name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool HostDirSearch::NamesExistingFile(const std::string& path) const {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::optional<std::string> HostDirSearch::Find(const std::string& path) const {
  std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return std::nullopt;
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  // The stored spelling: the exact name, or else the first by bytes of those that differ from it
  // only in ASCII case.
  if (auto names = NamesIgnoringAsciiCase(folder, name); names && !names->empty()) {
    return std::find(names->begin(), names->end(), name) != names->end() ? name : names->front();
  }
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
