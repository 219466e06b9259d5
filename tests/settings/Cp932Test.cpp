#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include "settings/Keys.h"

namespace kobanto {
namespace {

struct Pair {
  std::string_view utf8;
  std::string_view cp932;
};

// Text that converts both ways and reads back unchanged; "表" ends in the byte of "\".
const Pair kRoundTrips[] = {
    {"C:\\My Documents", "C:\\My Documents"},
    {"", ""},
    {"表\\", "\x95\x5C\x5C"},
    {"ｱ", "\xB1"},
    {"～", "\x81\x60"},
    {"/home/user/写真", "/home/user/\x8E\xCA\x90\x5E"},
};

TEST(Cp932Test, ConvertsBothWays) {
  for (const auto& [utf8, cp932] : kRoundTrips) {
    EXPECT_EQ(Utf8ToCp932(utf8), std::string(cp932)) << utf8;
    EXPECT_EQ(Utf8ToCp932Exact(utf8), std::string(cp932)) << utf8;
    EXPECT_EQ(Cp932ToUtf8(cp932), std::string(utf8)) << utf8;
    EXPECT_EQ(Cp932ToUtf8Lossy(cp932), utf8) << utf8;
  }
}

// These convert without an error but read back as other characters, so text that holds them
// cannot be stored and read again as itself.
TEST(Cp932Test, ExactFormRefusesCharactersThatComeBackAsOthers) {
  for (std::string_view utf8 : {"〜", "C:\\a¥b", "−1"}) {
    EXPECT_TRUE(Utf8ToCp932(utf8).has_value()) << utf8;
    EXPECT_FALSE(Utf8ToCp932Exact(utf8).has_value()) << utf8;
  }
}

TEST(Cp932Test, TextOutsideCodePage932IsRefused) {
  for (std::string_view utf8 : {"/home/müller", "😀", "\xFF", "a\xE3\x81"}) {
    EXPECT_FALSE(Utf8ToCp932(utf8).has_value()) << utf8;
    EXPECT_FALSE(Utf8ToCp932Exact(utf8).has_value()) << utf8;
  }
}

// Stray and unassigned bytes, a lead byte without its trail: the strict form gives nothing, the
// lossy one shows each byte that does not decode as U+FFFD and keeps the rest.
TEST(Cp932Test, UndecodableBytes) {
  const Pair kCases[] = {
      {"a\uFFFD", "a\x81"},
      {"\uFFFD ", "\x81\x20"},
      {"\uFFFDx\uFFFD\uFFFD", "\x80x\xA0\xFD"},
      {"C:\\\uFFFD", "C:\\\x95"},
      {"表\uFFFD表", "\x95\x5C\xFF\x95\x5C"},
  };
  for (const auto& [lossy, cp932] : kCases) {
    EXPECT_FALSE(Cp932ToUtf8(cp932).has_value()) << lossy;
    EXPECT_EQ(Cp932ToUtf8Lossy(cp932), lossy);
  }
}

// The section and key names are stored as exactly these bytes.
TEST(Cp932Test, SettingsNamesAreStoredAsTheirBytes) {
  using namespace settings;
  const Pair kNames[] = {
      {kImageSection, "\x8F\x6B\x8F\xAC\x8C\xE3\x89\xE6\x91\x9C"},
      {kOptionsSection, "\x90\xDD\x92\xE8"},
      {kPercentModeKey, "\x81\x93\x8E\x77\x92\xE8"},
      {kPixelModeKey, "\x50\x69\x78\x65\x6C\x8E\x77\x92\xE8"},
      {kPercentValueKey, "\x81\x93\x8E\x77\x92\xE8\x92\x6C"},
      {kWidthKey, "\x95\x9D"},
      {kHeightKey, "\x8D\x82\x82\xB3"},
      {kQualityKey, "\x88\xB3\x8F\x6B\x97\xA6"},
      {kSaveFolderKey, "\x95\xDB\x91\xB6\x90\xE6\x83\x74\x83\x48\x83\x8B\x83\x5F"},
      {kAttachMailKey, "\x83\x81\x81\x5B\x83\x8B\x82\xC9\x93\x59\x95\x74"},
  };
  for (const auto& [utf8, cp932] : kNames) {
    EXPECT_EQ(Utf8ToCp932Exact(utf8), std::string(cp932)) << utf8;
  }
}

}  // namespace
}  // namespace kobanto
