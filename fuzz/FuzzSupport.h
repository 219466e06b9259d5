#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What every fuzz target shares: a scratch folder of its own, file helpers, a check that stops the
// run with a message, and the seed-corpus mode.
namespace kobanto::fuzz {

// A folder of this process under /dev/shm (memory, so that the settings writer's flushes cost
// nothing), or under TMPDIR when there is none; removed when the process ends normally.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder with a trailing "/".
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);

// Stops the run (a crash libFuzzer records with its input) when condition does not hold.
void Check(bool condition, const char* what);

// One seed of a corpus: its file name and bytes.
struct Seed {
  std::string name;
  std::string bytes;
};

// When KOBANTO_FUZZ_SEEDS names a folder, writes seeds there and ends the process: each target
// makes its own seed corpus this way before it is run.
void WriteSeedsIfAsked(const std::vector<Seed>& seeds);

inline std::string AsText(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace kobanto::fuzz
