// The JPEG picture: arbitrary bytes as a source file, loaded, drawn into a small intermediate
// picture in one of the display formats, taken over and saved, as a shrink does. Every failure
// must be one of the program's reported errors; a save that succeeds must give a JPEG file of the
// intermediate picture's size.

#include <cstddef>
#include <cstdint>
#include <string>

#include "Unit2/IntermediatePicture.h"
#include "codec/JpegDecode.h"
#include "codec/JpegImage.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Errors.h"
#include "tests/support/JpegMaker.h"

namespace {

using namespace kobanto;
using kobanto::fuzz::Check;

// Larger pictures decode correctly but slowly; their header paths are covered all the same.
constexpr long long kMostPixels = 1 << 20;

constexpr int kDisplayDepths[] = {32, 24, 16, 15, 8, 4, 1};

std::vector<kobanto::fuzz::Seed> Seeds() {
  using test::JpegRecipe;
  auto make = [](int w, int h, auto tweak) {
    JpegRecipe recipe;
    recipe.width = w;
    recipe.height = h;
    tweak(recipe);
    return fuzz::AsText(test::MakeJpeg(recipe));
  };
  return {
      {"baseline.jpg", make(16, 16, [](JpegRecipe&) {})},
      {"odd-size.jpg", make(13, 7, [](JpegRecipe& s) { s.quality = 40; })},
      {"grey.jpg", make(9, 17, [](JpegRecipe& s) { s.grayscale = true; })},
      {"progressive.jpg", make(24, 8, [](JpegRecipe& s) { s.progressive = true; })},
      {"rgb.jpg", make(8, 8, [](JpegRecipe& s) { s.storeAsRgb = true; })},
      {"cmyk.jpg", make(8, 8, [](JpegRecipe& s) { s.cmyk = true; })},
      {"ycck.jpg", make(8, 8, [](JpegRecipe& s) { s.ycck = true; })},
      {"two-components.jpg", make(8, 8, [](JpegRecipe& s) { s.unknownComponents = 2; })},
      {"one-pixel.jpg", make(1, 1, [](JpegRecipe&) {})},
      {"empty.jpg", ""},
  };
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kobanto::fuzz::WriteSeedsIfAsked(Seeds());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const kobanto::fuzz::ScratchFolder folder;
  const std::string source = folder.Path() + "source.jpg", output = folder.Path() + "S_source.jpg";
  kobanto::fuzz::WriteFile(source, std::string(reinterpret_cast<const char*>(data), size));

  // The display and the target size come from the input's size, so that each input always takes
  // the same way.
  const DisplayFormat display{kDisplayDepths[size % std::size(kDisplayDepths)]};
  const int width = 1 + static_cast<int>(size % 29), height = 1 + static_cast<int>(size / 29 % 23);
  try {
    TJPEGImage picture(display.Decode());
    picture.LoadFromFile(source);
    if (static_cast<long long>(picture.Width()) * picture.Height() > kMostPixels) return 0;
    IntermediatePicture intermediate(display);
    intermediate.SetWidth(width);
    intermediate.SetHeight(height);
    picture.Draw(intermediate, Rect{0, 0, width, height});

    TJPEGImage shrunk(display.Decode());
    shrunk.SetCompressionQuality(size > 0 ? data[size - 1] : 55);
    shrunk.Assign(intermediate.Picture());
    shrunk.SaveToFile(output);
  } catch (const Exception&) {
    return 0;  // a reported failure
  }
  const std::string saved = kobanto::fuzz::ReadFile(output);
  const jpeg::ImageSize savedSize =
      jpeg::ReadImageSize({reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size()});
  Check(savedSize.width == width && savedSize.height == height, "the output has the target size");
  return 0;
}
