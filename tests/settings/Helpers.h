#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/Cp932.h"

namespace kobanto::test {

// The code page 932 bytes of a UTF-8 literal, for file contents written as Windows would.
inline std::string Sjis(std::string_view utf8) { return Utf8ToCp932(utf8).value(); }

// The names in a folder, without "." and "..".
std::set<std::string> FolderNames(const std::string& folder);

// Runs body in a child process as the unprivileged user and returns 0 when it raised
// EIniFileException with exactly expectedMessage, 1 when it raised nothing, 2 for another
// message, 3 for another error.
int ExpectIniError(const std::function<void()>& body, const std::string& expectedMessage);

}  // namespace kobanto::test
