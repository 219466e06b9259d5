#pragma once

#include <string>

namespace kobanto {

// Starts a program with one argument and does not wait for it.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  virtual void Launch(const std::string& program, const std::string& argument) = 0;
};

// The host's launcher: runs program directly (no shell, no search path) with argument as its
// argv[1], in a session of its own so that it outlives this program, with standard input from
// /dev/null, no other descriptor of ours beyond standard output and error, and the signal
// dispositions and mask at their defaults. It returns as soon as the program has been forked off;
// a program that is missing or cannot be started is not reported. No zombie is left behind: the
// program is started from a short-lived intermediate process that is reaped at once, so it
// belongs to init from then on.
class DetachedProcessLauncher final : public ProcessLauncher {
 public:
  void Launch(const std::string& program, const std::string& argument) override;
};

}  // namespace kobanto
