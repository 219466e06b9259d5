#include "platform/CommandLine.h"

#include "platform/ExeFolder.h"

namespace kobanto {
namespace {

bool IsBlank(char c) {
  auto b = static_cast<unsigned char>(c);
  return b >= 0x01 && b <= 0x20;
}

// Reads arguments one after another from a command line that holds no NUL byte.
class Reader {
 public:
  explicit Reader(std::string_view line) : line_(line) {}

  // The next argument; empty only at the end of the line.
  std::string Next() {
    SkipBlanksAndEmptyPairs();
    std::string argument;
    while (pos_ < line_.size() && !IsBlank(line_[pos_])) {
      if (line_[pos_] == '"') {
        ++pos_;
        while (pos_ < line_.size() && line_[pos_] != '"') Take(argument);
        if (pos_ < line_.size()) ++pos_;
      } else {
        Take(argument);
      }
    }
    return argument;
  }

 private:
  void SkipBlanksAndEmptyPairs() {
    for (;;) {
      while (pos_ < line_.size() && IsBlank(line_[pos_])) ++pos_;
      if (line_.substr(pos_, 2) != "\"\"") return;
      pos_ += 2;
    }
  }

  // Moves one byte into argument; bytes past the limit are read but not kept.
  void Take(std::string& argument) {
    if (argument.size() < kMaxArgumentBytes) argument += line_[pos_];
    ++pos_;
  }

  std::string_view line_;
  std::size_t pos_ = 0;
};

}  // namespace

std::vector<std::string> ReadWindowsCommandLine(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  Reader reader(line);
  reader.Next();  // the program's name as typed
  std::vector<std::string> arguments;
  for (std::string argument = reader.Next(); !argument.empty(); argument = reader.Next()) {
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

CommandLine CommandLine::FromArgv(int argc, char* const* argv) {
  std::vector<std::string> params;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && argv[i][0] != '\0') params.emplace_back(argv[i]);
  }
  return CommandLine(ExecutablePath(), std::move(params));
}

CommandLine CommandLine::FromWindows(std::string_view line) {
  return CommandLine(ExecutablePath(), ReadWindowsCommandLine(line));
}

std::string CommandLine::ParamStr(int i) const {
  if (i == 0) return executable_;
  if (i < 0 || i > ParamCount()) return {};
  return params_[static_cast<std::size_t>(i - 1)];
}

}  // namespace kobanto
