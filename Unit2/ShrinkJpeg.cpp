#include "Unit2/ShrinkJpeg.h"

#include <cstdint>
#include <optional>

#include "Unit2/IntermediatePicture.h"
#include "Unit2/SizeRule.h"
#include "codec/JpegImage.h"
#include "platform/Profile.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"

namespace kobanto {
namespace {

using settings::kImageSection;

constexpr std::int32_t kDefaultQuality = 55;
constexpr std::int32_t kDefaultWidth = 480;
constexpr std::int32_t kDefaultHeight = 360;
constexpr bool kDefaultPercentMode = true;
constexpr std::int32_t kDefaultPercent = 30;

// The objects of one shrink. They are released in a fixed order whichever way the shrink ends:
// the intermediate picture first (if it was made), then the source picture, the output picture
// and the settings accessor.
struct ShrinkObjects {
  std::optional<TJPEGImage> source;
  std::optional<TJPEGImage> output;
  std::optional<settings::TIniFile> ini;
  std::optional<IntermediatePicture> intermediate;

  ShrinkObjects() = default;
  ShrinkObjects(const ShrinkObjects&) = delete;
  ShrinkObjects& operator=(const ShrinkObjects&) = delete;
  ~ShrinkObjects() {
    intermediate.reset();
    source.reset();
    output.reset();
    ini.reset();
  }
};

}  // namespace

void ShrinkJpeg(const std::string& source, const std::string& output,
                const ShrinkContext& context) {
  KOBANTO_PROFILE_PHASE("shrink");
  ShrinkObjects objects;
  TJPEGImage& sourcePicture = objects.source.emplace(context.display.Decode());
  TJPEGImage& outputPicture = objects.output.emplace(context.display.Decode());
  const settings::TIniFile& ini =
      objects.ini.emplace(settings::SettingsPath(context.exeFolder, settings::kReadName));

  // Only the low 8 bits of the quality reach the encoder (300 becomes 44, -1 becomes 255).
  const std::int32_t quality =
      ini.ReadInteger(kImageSection, settings::kQualityKey, kDefaultQuality);
  outputPicture.SetCompressionQuality(static_cast<std::uint8_t>(quality & 0xFF));
  std::int32_t width = ini.ReadInteger(kImageSection, settings::kWidthKey, kDefaultWidth);
  std::int32_t height = ini.ReadInteger(kImageSection, settings::kHeightKey, kDefaultHeight);

  sourcePicture.LoadFromFile(source);
  IntermediatePicture& intermediate = objects.intermediate.emplace(context.display);

  if (ini.ReadBool(kImageSection, settings::kPercentModeKey, kDefaultPercentMode)) {
    width = PercentOf(sourcePicture.Width(),
                      ini.ReadInteger(kImageSection, settings::kPercentValueKey, kDefaultPercent));
    height = PercentOf(sourcePicture.Height(),
                       ini.ReadInteger(kImageSection, settings::kPercentValueKey, kDefaultPercent));
  }

  // The intermediate picture is sized (and an impossible size refused) before the source is
  // decoded; the draw decodes it at full size even when the target is empty.
  intermediate.SetWidth(width);
  intermediate.SetHeight(height);
  sourcePicture.Draw(intermediate, Rect{0, 0, width, height});

  outputPicture.Assign(intermediate.Picture());
  outputPicture.SaveToFile(output);
}

}  // namespace kobanto
