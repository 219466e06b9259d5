#pragma once

#include <string>

namespace kobanto {

// The full path of the running program as the kernel reports it (/proc/self/exe).
std::string ExecutablePath();

// The folder of the running program, ending in "/". The settings file and the mail companion are
// looked up there, so a build folder or an unpacked copy is a self-contained installation.
std::string ExecutableFolder();

// The part of path up to and including its last "/" (empty when it has none).
std::string FolderOf(const std::string& path);

}  // namespace kobanto
