#pragma once

#include <optional>
#include <string>

namespace kobanto::settings {

// The one lookup of the settings file that readers and the writer share. The name part of path is
// matched in its folder without regard to ASCII letter case, so "Kobanto.ini" and "kobanto.ini"
// name one file on a file system that tells them apart: a file named exactly as the lower-case
// name wins, else the matching name that sorts first by bytes. Only files count (a symbolic link
// to a file is one; a folder is not). Returns the path of that file, or nothing.
std::optional<std::string> FindSettingsFile(const std::string& path);

// Where a write goes: the file FindSettingsFile finds, else the folder followed by the name in
// lower case, which is created there.
std::string SettingsFileForWriting(const std::string& path);

}  // namespace kobanto::settings
