#include "settings/FileLookup.h"

#include <sys/stat.h>

#include <string_view>

#include "platform/DirSearch.h"
#include "platform/ExeFolder.h"

namespace kobanto::settings {
namespace {

std::string LowerAsciiName(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = kobanto::LowerAscii(c);
  return out;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::optional<std::string> FindSettingsFile(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string name = path.substr(folder.size());
  if (name.empty()) return std::nullopt;
  const std::string preferred = folder + LowerAsciiName(name);
  if (IsFile(preferred)) return preferred;

  const auto names = NamesIgnoringAsciiCase(folder, name);
  if (!names) {
    // A folder we may enter but not list: only the name as given can still be tried.
    if (IsFile(path)) return path;
    return std::nullopt;
  }
  for (const std::string& entry : *names) {
    if (IsFile(folder + entry)) return folder + entry;
  }
  return std::nullopt;
}

std::string SettingsFileForWriting(const std::string& path) {
  if (auto found = FindSettingsFile(path)) return *found;
  const std::string folder = FolderOf(path);
  return folder + LowerAsciiName(std::string_view(path).substr(folder.size()));
}

}  // namespace kobanto::settings
