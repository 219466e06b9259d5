#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kobanto::settings {

// The settings file path for a name form: the executable folder followed by the name.
std::string SettingsPath(const std::string& exeFolder, std::string_view nameForm);

// True when a file (not a folder) by that path exists; the file name is matched without regard
// to ASCII case, as the one lookup of the accessor does.
bool SettingsFileExists(const std::string& path);

// An accessor bound to one settings file. Opening neither reads nor creates the file; every read
// and every write goes through the file on disk, so nothing is cached. Names and values are UTF-8
// here and code page 932 in the file.
class TIniFile {
 public:
  explicit TIniFile(std::string path);
  ~TIniFile();
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  const std::string& FileName() const { return path_; }

  // The stored text (at most 2047 bytes of it), or def when the file, section or key is missing.
  // A byte that is not valid code page 932 text is shown as U+FFFD.
  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& def) const;
  // As ReadString, but nothing when the stored text is not valid code page 932.
  std::optional<std::string> ReadStringExact(std::string_view section, std::string_view key,
                                             const std::string& def) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Each write is one whole-file update. Throws EIniFileException "%s に書き込めません" with the
  // accessor's path when the value cannot be written.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Every value written through this accessor is in the file on disk.
  void UpdateFile();

 private:
  // The stored value in code page 932, cut to the most a reader takes, or nothing when the file,
  // section or key is missing.
  std::optional<std::string> RawValue(std::string_view section, std::string_view key) const;

  std::string path_;
};

}  // namespace kobanto::settings
