#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Unit2/ShrinkJpeg.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"

namespace kobanto::test {

using SettingLines = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// A temporary folder that stands for the executable folder: the settings file, the sources and
// the outputs all live in it.
class ShrinkTest : public TempDirTest {
 public:
  using TempDirTest::Folder;
  using TempDirTest::Path;

  // Writes kobanto.ini, in code page 932, with the given keys of the shrunk-image section.
  void WriteSettings(SettingLines lines) const;

  // Writes a test JPEG of the given size under name and returns its path.
  std::string Source(std::string_view name, int width, int height) const;
  std::string Source(std::string_view name, const JpegRecipe& recipe) const;

  ShrinkContext Context(int displayDepth = 32) const {
    return ShrinkContext{Folder(), DisplayFormat{displayDepth}};
  }
  void Shrink(const std::string& source, const std::string& output, int displayDepth = 32) const {
    ShrinkJpeg(source, output, Context(displayDepth));
  }
};

// The first row, in natural order, of quantization table 0 of a JPEG stream.
std::vector<int> FirstRowOfTable0(const std::vector<std::uint8_t>& jpeg);

// The same JPEG with the frame header's size replaced (the pixel data stays that of the original).
std::vector<std::uint8_t> WithFrameSize(std::vector<std::uint8_t> jpeg, int width, int height);

}  // namespace kobanto::test
