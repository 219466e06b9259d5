#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kobanto::test {

// A folder of its own under the system's temporary folder, removed with everything in it.
// Readable and searchable by everyone, so that a child running as an unprivileged user can reach
// what the test puts there.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing "/".
  const std::string& Path() const { return path_; }
  // The folder followed by "/" and name.
  std::string operator/(std::string_view name) const;

 private:
  std::string path_;
};

// A test fixture that gives each test its own temporary folder.
class TempDirTest : public ::testing::Test {
 public:
  std::string Path(std::string_view name) const { return dir_ / name; }
  // The folder with a trailing "/", as the executable folder is given.
  std::string Folder() const { return dir_.Path() + "/"; }

 protected:
  TempDir dir_;
};

std::vector<std::uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, std::string_view text);
bool Exists(const std::string& path);

}  // namespace kobanto::test
