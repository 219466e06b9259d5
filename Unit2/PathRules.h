#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kobanto {

// How one family of paths is spelled: where its characters begin, which single-byte characters
// end a folder or a drive, which one separates a folder from a name, and what its root is.
// The path operations below and the long-name recursion are written once against it, so the
// host paths and the Windows paths (code page 932) share every rule above this level.
class PathRules {
 public:
  virtual ~PathRules() = default;

  // The number of bytes of the character that starts at path[i]: 2 for a double-byte character,
  // 1 otherwise (also for a lead byte that ends the path).
  virtual std::size_t CharLength(std::string_view path, std::size_t i) const = 0;
  // Whether the single-byte character c ends a folder or a drive.
  virtual bool IsDelimiter(char c) const = 0;
  // The character put between a folder and a name.
  virtual char Separator() const = 0;
  // The root of path: its drive or network share, or "/" on the host; empty when it has none.
  virtual std::string_view Root(std::string_view path) const = 0;
  // The length of the root as the long-name recursion counts it: a drive root covers the
  // backslash after the colon as well.
  virtual std::size_t RootLength(std::string_view path) const = 0;
};

// The host's paths: "/" separates and roots them; ":" and every other byte are ordinary, and
// every search is a plain byte scan.
const PathRules& HostPathRules();
// Windows paths as code page 932 byte strings: "\" and ":" delimit, but never as the trail byte
// of a double-byte character (lead bytes 0x81-0x9F and 0xE0-0xFC); drive and network roots.
const PathRules& WindowsPathRules();

// Whether a character of path starts at i and is the single byte c.
bool IsSingleByteAt(const PathRules& rules, std::string_view path, std::size_t i, char c);

// Where the last character of path starts, or npos for the empty path.
std::size_t LastCharStart(std::string_view path, const PathRules& rules = HostPathRules());

// The position of the last delimiter of path, or npos when it has none.
std::size_t LastDelimiter(std::string_view path, const PathRules& rules = HostPathRules());

// The part from the last "." after the last delimiter to the end, the "." included; empty when
// there is no such ".". For "/photos/dsc0001.JPG" it is ".JPG".
std::string ExtractFileExt(std::string_view path, const PathRules& rules = HostPathRules());

// The part after the last delimiter, or the whole path when it has none.
std::string ExtractFileName(std::string_view path, const PathRules& rules = HostPathRules());

// The folder above the last component. The delimiter is dropped unless it belongs to a root or
// follows another delimiter: "C:\Photos\a.jpg" -> "C:\Photos", "C:\Photos" -> "C:\",
// "\\server\share\a.jpg" -> "\\server\share", "C:a.jpg" -> "C:", "a.jpg" -> "", "/a" -> "/".
std::string ExtractFileDir(std::string_view path, const PathRules& rules = HostPathRules());

// The root of path (see PathRules::Root).
std::string ExtractFileDrive(std::string_view path, const PathRules& rules = HostPathRules());

// path with its single-byte letters a-z made upper case; the bytes of double-byte characters
// stay as they are, even where a trail byte looks like a letter.
std::string UpperCaseRoot(std::string_view path, const PathRules& rules = HostPathRules());

// path unchanged when its last character is the single-byte separator, otherwise path with the
// separator appended (so the empty path becomes the separator alone).
std::string AddBackslash(std::string_view path, const PathRules& rules = HostPathRules());

}  // namespace kobanto
