#include "Unit2/Batch.h"

#include <filesystem>
#include <vector>

#include "Unit2/LongName.h"
#include "Unit2/MailHandoff.h"
#include "Unit2/PathRules.h"
#include "Unit2/ShrinkJpeg.h"
#include "platform/Errors.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"

namespace kobanto {
namespace {

// Where pictures go when the settings file names no save folder: the system's temporary folder.
std::string DefaultSaveFolder() {
  std::error_code error;
  std::string folder = std::filesystem::temp_directory_path(error).string();
  if (error || folder.empty()) folder = "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string ReadSaveFolder(const settings::TIniFile& ini) {
  auto folder =
      ini.ReadStringExact(settings::kImageSection, settings::kSaveFolderKey, DefaultSaveFolder());
  if (!folder) throw EIniFileException(std::string(msg::kSaveFolderUnreadable));
  return *folder;
}

bool IsPicture(const std::string& argument) {
  const std::string extension = ExtractFileExt(argument);
  return extension == ".JPG" || extension == ".jpg";
}

}  // namespace

bool RunBatch(const CommandLine& commandLine, const BatchContext& context) {
  const int count = commandLine.ParamCount();
  if (count == 0) return false;

  const settings::TIniFile ini(settings::SettingsPath(context.exeFolder, settings::kReadName));
  // The save folder is used exactly as read: not trimmed, not tested, no separator added or
  // removed.
  const std::string saveFolder = ReadSaveFolder(ini);
  const ShrinkContext shrink{context.exeFolder, context.display};
  std::vector<std::string> attachments;

  for (int i = 1; i <= count; ++i) {
    const std::string argument = commandLine.ParamStr(i);
    const std::string longName = LongFileName(argument);
    if (!IsPicture(argument)) {
      attachments.push_back(longName);
      continue;
    }
    std::string output = saveFolder;
    output += HostPathRules().Separator();
    output += "S_" + ExtractFileName(longName);
    attachments.push_back(output);
    ShrinkJpeg(longName, output, shrink);
  }

  if (ini.ReadBool(settings::kOptionsSection, settings::kAttachMailKey, false)) {
    MailHandoff(attachments, context.exeFolder, context.launcher);
  }
  return true;
}

}  // namespace kobanto
