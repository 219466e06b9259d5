#include "settings/Settings.h"

#include "platform/Cp932.h"
#include "platform/Errors.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"

namespace kobanto::settings {
namespace {

// A reader takes at most this many bytes of a value; a longer folder would come back cut short
// and name another folder.
constexpr std::size_t kMaxStoredBytes = 2047;

}  // namespace

bool CanStoreSaveFolder(const std::string& folder) {
  if (folder.find_first_of("\r\n") != std::string::npos) return false;
  auto stored = Utf8ToCp932Exact(folder);
  return stored && stored->size() <= kMaxStoredBytes;
}

void FullWrite(const std::string& exeFolder, const SettingsValues& values) {
  if (!CanStoreSaveFolder(values.saveFolder)) {
    throw EIniFileException(FormatMessage(msg::kSaveFolderNotStorable, values.saveFolder));
  }
  TIniFile ini(SettingsPath(exeFolder, kWriteName));
  ini.WriteBool(kImageSection, kPercentModeKey, values.percentMode);
  ini.WriteBool(kImageSection, kPixelModeKey, values.pixelMode);
  ini.WriteInteger(kImageSection, kPercentValueKey, values.percentValue);
  ini.WriteInteger(kImageSection, kWidthKey, values.width);
  ini.WriteInteger(kImageSection, kHeightKey, values.height);
  ini.WriteInteger(kImageSection, kQualityKey, values.quality);
  ini.WriteString(kImageSection, kSaveFolderKey, values.saveFolder);
  ini.WriteBool(kOptionsSection, kAttachMailKey, values.attachMail);
  ini.UpdateFile();
}

}  // namespace kobanto::settings
