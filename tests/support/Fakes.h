#pragma once

#include <string>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/ProcessLauncher.h"

namespace kobanto::test {

// The program's arguments as start-up reads them, from a list of paths (argv[0] is added).
CommandLine Arguments(std::vector<std::string> args);

// Records what would be launched instead of starting it.
class RecordingLauncher : public ProcessLauncher {
 public:
  struct Launched {
    std::string program, argument;
  };
  void Launch(const std::string& program, const std::string& argument) override {
    launches.push_back({program, argument});
  }
  std::vector<Launched> launches;
};

}  // namespace kobanto::test
