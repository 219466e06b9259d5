#pragma once

#include <cstdint>
#include <string>

namespace kobanto::settings {

// The eight values of the full write, in the order they are written.
struct SettingsValues {
  bool percentMode = true;
  bool pixelMode = false;
  std::int32_t percentValue = 30;
  std::int32_t width = 480;
  std::int32_t height = 360;
  std::int32_t quality = 55;
  std::string saveFolder;
  bool attachMail = false;
};

// True when the folder can be stored in the settings file and read back as the same text: it
// converts to code page 932 and back unchanged, holds no line end, and its stored form fits in
// the 2047 bytes a reader takes.
bool CanStoreSaveFolder(const std::string& folder);

// Writes all eight values into "kobanto.ini" in the executable folder, then flushes. A save folder
// that cannot be stored is refused before anything is written, with EIniFileException
// "保存先フォルダ %s は設定ファイルに保存できません". A value that cannot be written stops the
// full write there with EIniFileException "%s に書き込めません"; earlier keys stay written.
void FullWrite(const std::string& exeFolder, const SettingsValues& values);

}  // namespace kobanto::settings
