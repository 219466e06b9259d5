#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DirSearch.h"

namespace kobanto::test {

// An in-memory Windows file system over code page 932 paths that answers searches the way
// FindFirstFile does: names match without regard to ASCII case (the bytes of double-byte
// characters exactly), an 8.3 alias finds its entry, the found entry reports its long name, empty
// components in the middle are ignored, and a path ending in "\" or naming a bare root finds
// nothing. The current folder is C:\Work, so "a.jpg" and "C:a.jpg" are looked up there; a bare
// "C:" finds the current folder's own name, as Windows does.
class FakeWindowsTree final : public DirSearch {
 public:
  FakeWindowsTree();

  // Adds the entries along path below root ("C:" or "\\SERVER\SHARE"): each component is
  // "long name" or "long name|8.3 alias"; all but the last are folders, the last is a file unless
  // asFolder is set.
  void Add(std::string_view root, const std::vector<std::string>& components,
           bool asFolder = false);
  // Makes the search for exactly this entry fail, while paths below it still resolve (a folder
  // that can be entered but not listed).
  void FailSearchFor(std::string_view root, const std::vector<std::string>& longNames);

  bool NamesExistingFile(const std::string& path) const override;
  std::optional<std::string> Find(const std::string& path) const override;

 private:
  struct Entry {
    std::string longName;
    std::string shortName;
    bool folder = true;
    bool searchFails = false;
    std::vector<std::unique_ptr<Entry>> children;
  };

  Entry* RootEntry(std::string_view root);
  const Entry* Resolve(const std::string& path) const;
  static Entry* Child(const Entry& folder, std::string_view name);

  std::map<std::string, std::unique_ptr<Entry>> roots_;
};

}  // namespace kobanto::test
