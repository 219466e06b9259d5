#include "tests/shrink/ShrinkFixture.h"

#include <stdexcept>

#include "platform/Cp932.h"
#include "settings/Keys.h"

namespace kobanto::test {

void ShrinkTest::WriteSettings(SettingLines lines) const {
  std::string text = "[" + std::string(settings::kImageSection) + "]\r\n";
  for (const auto& [key, value] : lines)
    text += std::string(key) + "=" + std::string(value) + "\r\n";
  const auto bytes = Utf8ToCp932(text);
  if (!bytes) throw std::runtime_error("settings text is not code page 932");
  WriteText(Path("kobanto.ini"), *bytes);
}

std::string ShrinkTest::Source(std::string_view name, int width, int height) const {
  JpegRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  return Source(name, recipe);
}

std::string ShrinkTest::Source(std::string_view name, const JpegRecipe& recipe) const {
  const std::string path = Path(name);
  WriteJpeg(path, recipe);
  return path;
}

std::vector<int> FirstRowOfTable0(const std::vector<std::uint8_t>& jpeg) {
  // Zigzag positions of the first row's eight entries.
  constexpr int kFirstRow[8] = {0, 1, 5, 6, 14, 15, 27, 28};
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
    const std::size_t length = (jpeg[at + 2] << 8) | jpeg[at + 3];
    if (jpeg[at + 1] == 0xDB) {
      for (std::size_t t = at + 4; t < at + 2 + length;) {
        const int precision = jpeg[t] >> 4, id = jpeg[t] & 15;
        const std::size_t entry = precision ? 2 : 1;
        if (id == 0) {
          std::vector<int> row;
          for (int z : kFirstRow) {
            const std::size_t p = t + 1 + z * entry;
            row.push_back(precision ? (jpeg[p] << 8) | jpeg[p + 1] : jpeg[p]);
          }
          return row;
        }
        t += 1 + 64 * entry;
      }
    }
    at += 2 + length;
  }
  return {};
}

std::vector<std::uint8_t> WithFrameSize(std::vector<std::uint8_t> jpeg, int width, int height) {
  for (std::size_t at = 2; at + 9 < jpeg.size() && jpeg[at] == 0xFF;) {
    const int marker = jpeg[at + 1];
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      jpeg[at + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[at + 6] = static_cast<std::uint8_t>(height);
      jpeg[at + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[at + 8] = static_cast<std::uint8_t>(width);
      return jpeg;
    }
    at += 2 + ((jpeg[at + 2] << 8) | jpeg[at + 3]);
  }
  throw std::runtime_error("no frame header");
}

}  // namespace kobanto::test
