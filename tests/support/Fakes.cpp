#include "tests/support/Fakes.h"

namespace kobanto::test {

CommandLine Arguments(std::vector<std::string> args) {
  args.insert(args.begin(), "kobanto");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return CommandLine::FromArgv(static_cast<int>(args.size()), argv.data());
}

}  // namespace kobanto::test
