#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kobanto {

// The file system as the long-name conversion asks it: whether a path names a file, and how the
// last component of a path is spelled in its folder.
class DirSearch {
 public:
  virtual ~DirSearch() = default;

  // Whether path names an existing entry that is not a folder.
  virtual bool NamesExistingFile(const std::string& path) const = 0;
  // Searches for exactly this path: the name of the entry found, as stored in its folder, or
  // nothing. Hidden entries are found like any other.
  virtual std::optional<std::string> Find(const std::string& path) const = 0;
};

// The host's file system. A name is looked up among its folder's entries: the exact name first,
// and only when there is none an ASCII case-insensitive match (as on a FAT or exFAT camera card),
// the first by bytes when several match. Symbolic links are followed when asking for a file and
// keep their own names. A folder that cannot be listed keeps the name as given, when the path
// exists.
class HostDirSearch final : public DirSearch {
 public:
  bool NamesExistingFile(const std::string& path) const override;
  std::optional<std::string> Find(const std::string& path) const override;
};

// The names of the entries of folder that equal name but for the case of ASCII letters (the exact
// name among them), sorted by bytes; nothing when the folder cannot be listed. Both the long-name
// search and the settings file's lookup choose among them.
std::optional<std::vector<std::string>> NamesIgnoringAsciiCase(const std::string& folder,
                                                               std::string_view name);

// c with A-Z made lower case; every other byte, also of a multi-byte character, unchanged.
inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// path made absolute against the current folder, with runs of "/" written as one. "." and ".."
// stay as given: the kernel resolves them against the folders actually reached, and settling them
// by hand would change what a path through a symbolic link to a folder means. The empty path
// stays empty, and a relative path stays relative when the current folder is unknown.
std::string AbsoluteHostPath(const std::string& path);

}  // namespace kobanto
