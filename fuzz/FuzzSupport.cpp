#include "fuzz/FuzzSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kobanto::fuzz {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::string base = "/dev/shm";
  if (::access(base.c_str(), W_OK) != 0) base = fs::temp_directory_path().string();
  std::string pattern = base + "/kobanto-fuzz-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  path_ = pattern + "/";
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Check(static_cast<bool>(out), "the scratch file could not be written");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

void WriteSeedsIfAsked(const std::vector<Seed>& seeds) {
  const char* folder = std::getenv("KOBANTO_FUZZ_SEEDS");
  if (folder == nullptr || *folder == '\0') return;
  fs::create_directories(folder);
  for (const Seed& seed : seeds) WriteFile(std::string(folder) + "/" + seed.name, seed.bytes);
  std::exit(0);
}

}  // namespace kobanto::fuzz
