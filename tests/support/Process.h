#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kobanto::test {

struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;  // standard output
  std::string err;  // standard error
};

struct ProcessOptions {
  // Environment changes: a value sets the variable, nothing removes it.
  std::map<std::string, std::optional<std::string>> env;
  bool unprivileged = false;  // run as the unprivileged user (when root)
  int timeoutSeconds = 60;    // killed after this
  std::string workingFolder;  // empty: the current folder
};

// Runs a program (no shell) and collects its status and output.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// Copies a file, keeping its mode (for placing the program in a temporary executable folder).
void CopyFile(const std::string& from, const std::string& to);

}  // namespace kobanto::test
