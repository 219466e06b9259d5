// Hostile settings files: 50 MB, random bytes, 10,000 sections, a 1 MB value. The conversion's
// readers keep their rules (the first section and key of a name, at most 2047 bytes of a value,
// their defaults for what does not read), nothing crashes, and the settings window's full write
// rewrites such a file keeping every line it does not own.

#include <gtest/gtest.h>

#include <random>

#include "platform/Cp932.h"
#include "platform/Errors.h"
#include "settings/Settings.h"
#include "tests/support/ProgramFixture.h"

namespace kobanto::hostile {

using namespace test;
namespace {

using settings::SettingsValues;

std::string Sjis(std::string_view utf8) { return Utf8ToCp932(utf8).value(); }

// The eight keys in both sections, as Windows writes them, in code page 932.
std::string SectionsText(const SettingsValues& v) {
  auto flag = [](bool b) { return b ? "1" : "0"; };
  return Sjis(std::string("[縮小後画像]\r\n％指定=") + flag(v.percentMode) + "\r\nPixel指定=" +
              flag(v.pixelMode) + "\r\n％指定値=" + std::to_string(v.percentValue) +
              "\r\n幅=" + std::to_string(v.width) + "\r\n高さ=" + std::to_string(v.height) +
              "\r\n圧縮率=" + std::to_string(v.quality) + "\r\n保存先フォルダ=" + v.saveFolder +
              "\r\n[設定]\r\nメールに添付=" + flag(v.attachMail) + "\r\n");
}

SettingsValues Values(int percent, const std::string& folder) {
  SettingsValues v;
  v.percentValue = percent;
  v.saveFolder = folder;
  return v;
}

// What the full write writes here afterwards.
SettingsValues NewValues(const ProgramTest& t) {
  SettingsValues v = Values(75, t.Path("out/new"));
  v.quality = 80;
  v.attachMail = true;
  return v;
}

class HostileSettingsTest : public ProgramTest {
 protected:
  // One picture of 100 x 80 converted with the settings file as it is.
  test::ProcessResult Convert() { return Run({Picture("in/a.jpg", 100, 80)}); }

  void ExpectOutput(const std::string& path, int width, int height) {
    auto picture = test::DecodeJpeg(test::ReadBytes(path));
    EXPECT_EQ(picture.width, width) << path;
    EXPECT_EQ(picture.height, height) << path;
  }

  std::string SettingsNow() const { return test::ReadText(Path("bin/kobanto.ini")); }
};

// 50 MB of lines the program does not know, with its own sections at the end.
TEST_F(HostileSettingsTest, FiftyMegabytes) {
  std::string filler = Sjis("[ほかのプログラム]\r\n");
  const std::string line = "unknown=" + std::string(990, 'v') + "\r\n";
  while (filler.size() < 50'000'000) filler += line;
  WriteSettingsBytes(filler + SectionsText(Values(50, Path("out"))));

  auto result = Convert();
  EXPECT_EQ(result.status, 0) << result.err;
  ExpectOutput(Path("out/S_a.jpg"), 50, 40);

  settings::FullWrite(Folder() + "bin/", NewValues(*this));
  EXPECT_TRUE(SettingsNow() == filler + SectionsText(NewValues(*this)));
}

// Random bytes hold none of the keys: every reader takes its default (30 %, the temporary
// folder), and the full write appends the two sections after the bytes, which stay as they were.
TEST_F(HostileSettingsTest, RandomBytes) {
  std::mt19937 random(7);
  std::string bytes(1 << 20, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  bytes += "\n";  // so that the appended sections start on a line of their own
  WriteSettingsBytes(bytes);

  auto result = Convert();
  EXPECT_EQ(result.status, 0) << result.err;
  ExpectOutput(Path("tmp/S_a.jpg"), 30, 24);

  settings::FullWrite(Folder() + "bin/", NewValues(*this));
  EXPECT_TRUE(SettingsNow() == bytes + SectionsText(NewValues(*this)));
}

// Only the first section of a name counts, however many follow: 10,000 sections, among them
// 5,000 more of the program's own with other values.
TEST_F(HostileSettingsTest, TenThousandSections) {
  std::string rest;
  for (int i = 0; i < 10'000; ++i) {
    rest += i % 2 ? SectionsText(Values(10, Path("tmp")))
                  : Sjis("[節" + std::to_string(i) + "]\r\nk=v\r\n");
  }
  WriteSettingsBytes(SectionsText(Values(50, Path("out"))) + rest);

  auto result = Convert();
  EXPECT_EQ(result.status, 0) << result.err;
  ExpectOutput(Path("out/S_a.jpg"), 50, 40);

  settings::FullWrite(Folder() + "bin/", NewValues(*this));
  EXPECT_TRUE(SettingsNow() == SectionsText(NewValues(*this)) + rest);
}

// A value of 1 MB reads as its first 2047 bytes: a save folder cut there names a folder that
// does not exist, which is the create error with exactly that folder; a number of 1 MB digits
// reads as the default.
TEST_F(HostileSettingsTest, AOneMegabyteValue) {
  const std::string longFolder = Path("out") + "/" + std::string(1 << 20, 'f');
  WriteSettingsBytes(Sjis("[縮小後画像]\r\n％指定値=" + std::string(1 << 20, '5') +
                          "\r\n保存先フォルダ=" + longFolder + "\r\n"));
  auto result = Convert();
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            Reported(FormatMessage(msg::kFileCreate, longFolder.substr(0, 2047) + "/S_a.jpg")));

  // With the folder cut to one that exists, the percent value is seen to be the default.
  WriteSettingsBytes(Sjis("[縮小後画像]\r\n％指定値=" + std::string(1 << 20, '5') +
                          "\r\n保存先フォルダ=" + Path("out") + "\r\n"));
  result = Convert();
  EXPECT_EQ(result.status, 0) << result.err;
  ExpectOutput(Path("out/S_a.jpg"), 30, 24);

  settings::FullWrite(Folder() + "bin/", NewValues(*this));
  const SettingsValues v = NewValues(*this);
  EXPECT_TRUE(SettingsNow() ==
              Sjis("[縮小後画像]\r\n％指定値=75\r\n保存先フォルダ=" + v.saveFolder +
                   "\r\n％指定=1\r\nPixel指定=0\r\n幅=480\r\n高さ=360\r\n圧縮率=80\r\n[設定]\r\n"
                   "メールに添付=1\r\n"));
}

// A NUL byte ends a name for the system: a save folder stored as a file's path and a NUL would
// have the output written over that file. It is the create error instead, with nothing written.
TEST_F(HostileSettingsTest, ASaveFolderHoldingANulByteIsTheCreateError) {
  const std::string victim = Path("victim.txt");
  test::WriteText(victim, "must stay");
  Watch(victim);
  const std::string folder = victim + std::string(1, '\0');
  WriteSettingsBytes(Sjis(SettingsText(folder, false)));
  auto result = Convert();
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, Reported(FormatMessage(msg::kFileCreate, folder + "/S_a.jpg")));
  EXPECT_EQ(test::ReadText(victim), "must stay");
}

}  // namespace
}  // namespace kobanto::hostile
