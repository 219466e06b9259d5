#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kobanto {

// The most bytes the Windows command-line reader keeps of one argument.
inline constexpr std::size_t kMaxArgumentBytes = 4096;

// Splits a Windows command line into the arguments after the program's name. Bytes 0x01-0x20
// separate arguments and an empty quoted pair there is no argument at all; a double quote opens a
// stretch taken literally up to the next double quote or the end of the line, and quoted and
// unquoted stretches may alternate in one argument (a"b c"d is "ab cd"). Bytes from 0x80 up are
// ordinary, so Shift-JIS text passes unchanged; a NUL byte ends the line. An argument longer than
// kMaxArgumentBytes keeps its first kMaxArgumentBytes bytes and the rest of it is skipped, so the
// arguments after it are read as usual.
std::vector<std::string> ReadWindowsCommandLine(std::string_view line);

// The program's arguments, copied when the program starts (before the QApplication exists, which
// would take the options it knows out of argv).
class CommandLine {
 public:
  // The host's arguments: argv[1] on, with every empty argument skipped, as an empty quoted pair
  // is on Windows. "-style" and its kind are ordinary arguments here.
  static CommandLine FromArgv(int argc, char* const* argv);
  // The arguments read from one Windows command line.
  static CommandLine FromWindows(std::string_view line);

  int ParamCount() const { return static_cast<int>(params_.size()); }
  // 0: the program's own path as the kernel reports it; 1 to ParamCount(): the arguments; any
  // other index: the empty string.
  std::string ParamStr(int i) const;

 private:
  CommandLine(std::string executable, std::vector<std::string> params)
      : executable_(std::move(executable)), params_(std::move(params)) {}

  std::string executable_;
  std::vector<std::string> params_;
};

}  // namespace kobanto
