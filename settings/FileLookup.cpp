#include "settings/FileLookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string_view>

#include "platform/ExeFolder.h"

namespace kobanto::settings {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::optional<std::string> FindSettingsFile(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string name = path.substr(folder.size());
  if (name.empty()) return std::nullopt;
  const std::string preferred = folder + LowerAscii(name);
  if (IsFile(preferred)) return preferred;

  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) {
    // A folder we may enter but not list: only the name as given can still be tried.
    if (IsFile(path)) return path;
    return std::nullopt;
  }
  std::optional<std::string> best;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view entryName = entry->d_name;
    if (!SameIgnoringAsciiCase(entryName, name)) continue;
    if (best && entryName >= std::string_view(*best)) continue;
    if (IsFile(folder + std::string(entryName))) best = std::string(entryName);
  }
  if (!best) return std::nullopt;
  return folder + *best;
}

std::string SettingsFileForWriting(const std::string& path) {
  if (auto found = FindSettingsFile(path)) return *found;
  const std::string folder = FolderOf(path);
  return folder + LowerAscii(std::string_view(path).substr(folder.size()));
}

}  // namespace kobanto::settings
