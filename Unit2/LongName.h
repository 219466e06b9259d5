#pragma once

#include <cstddef>
#include <string>

#include "Unit2/PathRules.h"
#include "platform/DirSearch.h"

namespace kobanto {

// The long form of the path of an existing file: every component below the root spelled as
// stored in its folder, the root's letters a-z in upper case. Empty when the path names no
// existing file (a missing file or a folder), or when a folder above the file cannot be found.
// A path without a root stays rootless: "a.jpg" gives "A.jpg" and "C:a.jpg" gives "C:A.JPG", the
// components spelled as stored and nothing put in front.
std::string LongFileName(const std::string& path, const PathRules& rules, const DirSearch& search);

// The recursive step of LongFileName: the long form of path, whose root is rootLength bytes long
// as LongFileName measured it. Each level searches for its own component and then resolves the
// folder above it; every level shortens the path, so the recursion always ends.
std::string LongPathOf(const std::string& path, std::size_t rootLength, const PathRules& rules,
                       const DirSearch& search);

// The long form of a host path on the real file system, made absolute against the current folder
// first, so a relative path typed in a terminal works.
std::string LongFileName(const std::string& path);

}  // namespace kobanto
