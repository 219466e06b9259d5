// The settings file: arbitrary bytes as kobanto.ini, every reader of the program, one write and a
// re-read, then the full write. Nothing may crash; a write changes only the line of its key (or
// adds it, with its section when that is missing), keeps every other line byte for byte, and
// reads back as written.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/Cp932.h"
#include "settings/IniFile.h"
#include "settings/IniText.h"
#include "settings/Keys.h"
#include "settings/Settings.h"

namespace {

using namespace kobanto;
using namespace kobanto::settings;
using kobanto::fuzz::Check;

struct KeyName {
  std::string_view section, key;
};

constexpr KeyName kKeys[] = {
    {kImageSection, kPercentModeKey},  {kImageSection, kPixelModeKey},
    {kImageSection, kPercentValueKey}, {kImageSection, kWidthKey},
    {kImageSection, kHeightKey},       {kImageSection, kQualityKey},
    {kImageSection, kSaveFolderKey},   {kOptionsSection, kAttachMailKey},
};

// Values a write may set, among them ones that need quotes to survive the reader's stripping.
constexpr std::string_view kValues[] = {"1",        "0",          "-2147483648", "C:\\My Documents",
                                        " padded ", "\"quoted\"", "'",           "",
                                        "保存先",   "a=b;c[d]"};

// One line of a file: its bytes and its line end (CRLF, LF, CR or none), as the reader splits.
struct Line {
  std::string_view content, end;
  friend bool operator==(const Line&, const Line&) = default;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t stop = text.find_first_of("\r\n", pos);
    if (stop == std::string_view::npos) stop = text.size();
    std::size_t end = stop;
    if (end < text.size() && text[end] == '\r') ++end;
    if (end < text.size() && text[end] == '\n') ++end;
    lines.push_back({text.substr(pos, stop - pos), text.substr(stop, end - stop)});
    pos = end;
  }
  return lines;
}

// Whether the old line comes through as the new one: unchanged, or, for a last line without a
// line end, given one so that a line added after it stands on its own.
bool Survives(const Line& before, const Line& after, bool last) {
  return before == after ||
         (last && before.end.empty() && after.content == before.content && after.end == "\r\n");
}

// Every line of before that is not the written key's line is in after, in its order; after holds
// at most the key's line and a new section header besides.
void CheckOtherLinesKept(std::string_view before, std::string_view after,
                         std::string_view keyLine) {
  const std::vector<Line> a = SplitLines(before), b = SplitLines(after);
  std::size_t prefix = 0;
  while (prefix < a.size() && prefix < b.size() &&
         Survives(a[prefix], b[prefix], prefix + 1 == a.size())) {
    ++prefix;
  }
  std::size_t suffix = 0;
  while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
         a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::size_t removed = a.size() - prefix - suffix, added = b.size() - prefix - suffix;
  Check(removed <= 1, "a write changed more than the key's own line");
  Check(added <= 2, "a write added more than the key and its section");
  bool keyLineFound = added == 0;  // the same line written again
  for (std::size_t i = prefix; i < prefix + added; ++i) keyLineFound |= b[i].content == keyLine;
  Check(keyLineFound, "the written key's line is not in the file");
}

void ReadEverything(const TIniFile& reader) {
  for (const KeyName& k : kKeys) {
    (void)reader.ReadString(k.section, k.key, "default");
    (void)reader.ReadStringExact(k.section, k.key, "default");
    (void)reader.ReadInteger(k.section, k.key, 7);
    (void)reader.ReadBool(k.section, k.key, true);
  }
}

std::vector<kobanto::fuzz::Seed> Seeds() {
  const std::string windows =
      "; written by Windows\r\n[縮小後画像]\r\n％指定=1\r\nPixel指定=0\r\n％指定値=30\r\n"
      "幅=480\r\n高さ=360\r\n圧縮率=55\r\n保存先フォルダ=C:\\My Documents\r\n[設定]\r\n"
      "メールに添付=0\r\n";
  const std::string odd =
      "[other]\nkey = value\n  [ 縮小後画像 ]  \n％指定値 = \"0x4B\"\n幅='  12 '\n"
      "garbage line\r[設定]\rメールに添付=True\r[縮小後画像]\r幅=9";
  return {{"windows.ini", Utf8ToCp932(windows).value()},
          {"odd.ini", Utf8ToCp932(odd).value()},
          {"empty.ini", ""},
          {"no-line-end.ini", Utf8ToCp932("[縮小後画像]").value()},
          {"cut-lead-byte.ini", std::string("[\x8F\x6B]\r\n\x95=\x95", 10)}};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kobanto::fuzz::WriteSeedsIfAsked(Seeds());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const kobanto::fuzz::ScratchFolder folder;
  const std::string file = folder.Path() + "kobanto.ini";
  const std::string before(reinterpret_cast<const char*>(data), size);
  kobanto::fuzz::WriteFile(file, before);

  TIniFile reader(SettingsPath(folder.Path(), kReadName));
  ReadEverything(reader);

  const KeyName& k = kKeys[size % std::size(kKeys)];
  const std::string_view value = kValues[(size / std::size(kKeys)) % std::size(kValues)];
  reader.WriteString(k.section, k.key, value);
  Check(reader.ReadString(k.section, k.key, "default") == value, "a written value reads back");
  const std::string keyLine = Utf8ToCp932(std::string(k.key) + "=").value() +
                              settings::ini::QuoteValue(Utf8ToCp932(value).value());
  CheckOtherLinesKept(before, kobanto::fuzz::ReadFile(file), keyLine);

  // The settings window's OK, for one input in four: its eight whole-file updates dominate a
  // run, and the single write above already checks what they do to the rest of the file.
  if (size % 4 != 0) return 0;
  const SettingsValues values{false, true, 250, -5, 1200, 300, " C:\\Out\\写真 ", true};
  FullWrite(folder.Path(), values);
  Check(reader.ReadBool(kImageSection, kPercentModeKey, true) == values.percentMode,
        "percent mode");
  Check(reader.ReadBool(kImageSection, kPixelModeKey, false) == values.pixelMode, "pixel mode");
  Check(reader.ReadInteger(kImageSection, kPercentValueKey, 0) == values.percentValue, "percent");
  Check(reader.ReadInteger(kImageSection, kWidthKey, 0) == values.width, "width");
  Check(reader.ReadInteger(kImageSection, kHeightKey, 0) == values.height, "height");
  Check(reader.ReadInteger(kImageSection, kQualityKey, 0) == values.quality, "quality");
  Check(reader.ReadStringExact(kImageSection, kSaveFolderKey, "") == values.saveFolder, "folder");
  Check(reader.ReadBool(kOptionsSection, kAttachMailKey, false) == values.attachMail, "attach");
  return 0;
}
