#include "settings/IniFile.h"

#include "platform/Cp932.h"
#include "platform/Errors.h"
#include "platform/FileIo.h"
#include "settings/FileLookup.h"
#include "settings/IniText.h"
#include "settings/SafeWrite.h"

namespace kobanto::settings {
namespace {

// The most of a value that is read, as the Windows reader's 2048-byte buffer holds it.
constexpr std::size_t kMaxValueBytes = 2047;

std::optional<std::string> FileText(const std::string& path) {
  auto found = FindSettingsFile(path);
  if (!found) return std::nullopt;
  try {
    auto bytes = ReadWholeFile(*found);
    return std::string(bytes.begin(), bytes.end());
  } catch (const Exception&) {
    return std::nullopt;  // an unreadable file reads as no file
  }
}

bool HoldsLineEnd(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string SettingsPath(const std::string& exeFolder, std::string_view nameForm) {
  return exeFolder + std::string(nameForm);
}

bool SettingsFileExists(const std::string& path) { return FindSettingsFile(path).has_value(); }

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {}

TIniFile::~TIniFile() = default;

std::optional<std::string> TIniFile::RawValue(std::string_view section,
                                              std::string_view key) const {
  auto sectionBytes = Utf8ToCp932(section);
  auto keyBytes = Utf8ToCp932(key);
  if (!sectionBytes || !keyBytes) return std::nullopt;
  auto text = FileText(path_);
  if (!text) return std::nullopt;
  auto value = ini::FindValue(*text, *sectionBytes, *keyBytes);
  if (value && value->size() > kMaxValueBytes) value->resize(kMaxValueBytes);
  return value;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& def) const {
  auto raw = RawValue(section, key);
  return raw ? Cp932ToUtf8Lossy(*raw) : def;
}

std::optional<std::string> TIniFile::ReadStringExact(std::string_view section, std::string_view key,
                                                     const std::string& def) const {
  auto raw = RawValue(section, key);
  return raw ? Cp932ToUtf8(*raw) : def;
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t def) const {
  return ini::ParseNumber(RawValue(section, key).value_or("")).value_or(def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  auto sectionBytes = Utf8ToCp932Exact(section);
  auto keyBytes = Utf8ToCp932Exact(key);
  auto valueBytes = Utf8ToCp932Exact(value);
  // A line end inside a name or value would split it into lines of its own.
  if (!sectionBytes || !keyBytes || !valueBytes || HoldsLineEnd(section) || HoldsLineEnd(key) ||
      HoldsLineEnd(value) ||
      !UpdateWholeFile(SettingsFileForWriting(path_), [&](std::string_view text) {
        return ini::SetValue(text, *sectionBytes, *keyBytes, ini::QuoteValue(*valueBytes));
      })) {
    throw EIniFileException(FormatMessage(msg::kIniWrite, path_));
  }
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::UpdateFile() {
  // Each write has already reached the disk as a whole-file update; nothing is held back.
}

}  // namespace kobanto::settings
