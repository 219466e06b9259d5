#include "Unit2/LongName.h"

namespace kobanto {
namespace {

// Whether the last character of path is a single-byte delimiter (the ":" of a drive-relative
// root, or the separator that ends a root).
bool EndsInDelimiter(const std::string& path, const PathRules& rules) {
  std::size_t last = LastCharStart(path, rules);
  return last != std::string::npos && rules.CharLength(path, last) == 1 &&
         rules.IsDelimiter(path[last]);
}

// The root's letters made upper case, the rest as given.
std::string UpperCaseRootPart(const std::string& path, std::size_t rootLength,
                              const PathRules& rules) {
  std::size_t end = 0;
  while (end < path.size() && end < rootLength) end += rules.CharLength(path, end);
  return UpperCaseRoot(std::string_view(path).substr(0, end), rules) + path.substr(end);
}

}  // namespace

std::string LongPathOf(const std::string& path, std::size_t rootLength, const PathRules& rules,
                       const DirSearch& search) {
  std::string folder = ExtractFileDir(path, rules);
  // The root ends the recursion. So does a path that cannot be shortened any further (one that
  // ends in a delimiter after another, as in "C:\a\\" or the lone "\"): it stays as given.
  if (path.size() <= rootLength || folder.size() >= path.size()) {
    return UpperCaseRootPart(path, rootLength, rules);
  }
  std::optional<std::string> name = search.Find(path);
  if (!name) return {};
  // A relative path has nothing above its first component.
  if (folder.empty()) return *name;
  std::string folderLong = LongPathOf(folder, rootLength, rules, search);
  // A folder above that cannot be found leaves no trustworthy path: the whole result is empty.
  if (folderLong.empty()) return {};
  if (EndsInDelimiter(folderLong, rules)) return folderLong + *name;
  return AddBackslash(folderLong, rules) + *name;
}

std::string LongFileName(const std::string& path, const PathRules& rules, const DirSearch& search) {
  if (!search.NamesExistingFile(path)) return {};
  return LongPathOf(path, rules.RootLength(path), rules, search);
}

std::string LongFileName(const std::string& path) {
  static const HostDirSearch search;
  return LongFileName(AbsoluteHostPath(path), HostPathRules(), search);
}

}  // namespace kobanto
