#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "platform/Errors.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"
#include "settings/Settings.h"
#include "tests/settings/Helpers.h"
#include "tests/support/TempDir.h"
#include "tests/support/Unprivileged.h"

namespace kobanto::settings {
namespace {

using test::FolderNames;
using test::ReadText;
using test::Sjis;
using test::WriteText;

// The section and key names as code page 932 bytes.
const std::string kImage = "\x8F\x6B\x8F\xAC\x8C\xE3\x89\xE6\x91\x9C";
const std::string kOptions = "\x90\xDD\x92\xE8";
const std::string kPercentMode = "\x81\x93\x8E\x77\x92\xE8";
const std::string kPixelMode = "\x50\x69\x78\x65\x6C\x8E\x77\x92\xE8";
const std::string kPercentValue = "\x81\x93\x8E\x77\x92\xE8\x92\x6C";
const std::string kWidth = "\x95\x9D";
const std::string kHeight = "\x8D\x82\x82\xB3";
const std::string kQuality = "\x88\xB3\x8F\x6B\x97\xA6";
const std::string kSaveFolder = "\x95\xDB\x91\xB6\x90\xE6\x83\x74\x83\x48\x83\x8B\x83\x5F";
const std::string kAttachMail = "\x83\x81\x81\x5B\x83\x8B\x82\xC9\x93\x59\x95\x74";

// The lines of a newly created file, in the order they are written.
const std::vector<std::string> kNewFileLines = {
    "[" + kImage + "]\r\n",   kPercentMode + "=1\r\n",
    kPixelMode + "=0\r\n",    kPercentValue + "=30\r\n",
    kWidth + "=480\r\n",      kHeight + "=360\r\n",
    kQuality + "=55\r\n",     kSaveFolder + "=C:\\My Documents\r\n",
    "[" + kOptions + "]\r\n", kAttachMail + "=0\r\n",
};

std::string Joined(std::size_t lines) {
  std::string out;
  for (std::size_t i = 0; i < lines; ++i) out += kNewFileLines[i];
  return out;
}

SettingsValues InitialValues() {
  SettingsValues values;
  values.saveFolder = "C:\\My Documents";
  return values;
}

class SettingsFileTest : public test::TempDirTest {
 protected:
  std::string Ini() const { return Path("kobanto.ini"); }
  std::string WriteError() const { return Ini() + " に書き込めません"; }
  std::optional<std::string> StoredFolder() const {
    return TIniFile(Path("Kobanto.ini")).ReadStringExact(kImageSection, kSaveFolderKey, "");
  }
};

TEST_F(SettingsFileTest, NewFileHoldsExactlyTheInitialValues) {
  FullWrite(Folder(), InitialValues());
  EXPECT_EQ(FolderNames(dir_.Path()), std::set<std::string>{"kobanto.ini"});
  EXPECT_EQ(ReadText(Ini()), Joined(kNewFileLines.size()));
}

// A file as Windows leaves it after hand editing: blanks around "=", quoted values, unknown
// sections and keys, comments, a blank line and one key missing.
const char kWindowsFile[] =
    "; Kobanto の設定\r\n"
    "[縮小後画像]\r\n"
    "％指定 = 0\r\n"
    "  Pixel指定=1\r\n"
    "％指定値 = \"45\"\r\n"
    "幅='640'\r\n"
    "圧縮率=0x4B\r\n"
    "保存先フォルダ = \" D:\\表\\写真 \"\r\n"
    "古いキー=残す\r\n"
    "\r\n"
    "[その他]\r\n"
    "何か = 値\r\n"
    "odd line without equals\r\n"
    "[設定]\r\n"
    "メールに添付=2\r\n";

const char kWindowsFileAfterFullWrite[] =
    "; Kobanto の設定\r\n"
    "[縮小後画像]\r\n"
    "％指定=1\r\n"
    "Pixel指定=0\r\n"
    "％指定値=50\r\n"
    "幅=800\r\n"
    "圧縮率=80\r\n"
    "保存先フォルダ=\" D:\\表\\写真 \"\r\n"
    "古いキー=残す\r\n"
    "高さ=600\r\n"
    "\r\n"
    "[その他]\r\n"
    "何か = 値\r\n"
    "odd line without equals\r\n"
    "[設定]\r\n"
    "メールに添付=0\r\n";

TEST_F(SettingsFileTest, FileWrittenByWindowsReadsAndSurvivesAFullWrite) {
  WriteText(Ini(), Sjis(kWindowsFile));
  TIniFile ini(Path("Kobanto.ini"));
  EXPECT_FALSE(ini.ReadBool(kImageSection, kPercentModeKey, true));
  EXPECT_TRUE(ini.ReadBool(kImageSection, kPixelModeKey, false));
  EXPECT_EQ(ini.ReadInteger(kImageSection, kPercentValueKey, 30), 45);
  EXPECT_EQ(ini.ReadInteger(kImageSection, kWidthKey, 480), 640);
  EXPECT_EQ(ini.ReadInteger(kImageSection, kHeightKey, 360), 360);
  EXPECT_EQ(ini.ReadInteger(kImageSection, kQualityKey, 55), 75);
  EXPECT_EQ(ini.ReadStringExact(kImageSection, kSaveFolderKey, ""), " D:\\表\\写真 ");
  EXPECT_TRUE(ini.ReadBool(kOptionsSection, kAttachMailKey, false));
  EXPECT_EQ(ini.ReadString("その他", "何か", ""), "値");

  FullWrite(Folder(), {true, false, 50, 800, 600, 80, " D:\\表\\写真 ", false});
  EXPECT_EQ(ReadText(Ini()), Sjis(kWindowsFileAfterFullWrite));
}

// The stored form of a folder gives it back unchanged: quotes protect blanks and quotes at its
// ends; "表" ends in the byte of "\".
TEST_F(SettingsFileTest, SaveFolderReadsBackUnchanged) {
  for (std::string folder :
       {"/tmp/a ", " /tmp/a", "'x'", "\"x\"", "a\"", "", "D:\\表\\", "/home/user/写真", "～"}) {
    ASSERT_TRUE(CanStoreSaveFolder(folder)) << folder;
    auto values = InitialValues();
    values.saveFolder = folder;
    FullWrite(Folder(), values);
    EXPECT_EQ(StoredFolder(), folder);
  }
}

// A folder that would not read back as itself is refused before anything is written.
TEST_F(SettingsFileTest, UnstorableSaveFolderIsRefused) {
  const std::vector<std::string> kFolders = {"C:\\〜",
                                             "C:\\¥",
                                             "C:\\−",
                                             "/home/müller",
                                             "a\nb",
                                             "a\rb",
                                             "\xFF",
                                             std::string(2048, 'a'),
                                             std::string(2046, 'a') + "表"};
  for (const std::string& folder : kFolders) {
    EXPECT_FALSE(CanStoreSaveFolder(folder)) << folder;
    for (bool fileExists : {false, true}) {
      if (fileExists) WriteText(Ini(), "x");
      auto values = InitialValues();
      values.saveFolder = folder;
      try {
        FullWrite(Folder(), values);
        ADD_FAILURE() << "no error for " << folder;
      } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "保存先フォルダ " + folder + " は設定ファイルに保存できません");
      }
      EXPECT_EQ(FolderNames(dir_.Path()),
                fileExists ? std::set<std::string>{"kobanto.ini"} : std::set<std::string>{});
      if (fileExists) {
        EXPECT_EQ(ReadText(Ini()), "x");
      }
      ::unlink(Ini().c_str());
    }
  }
  EXPECT_TRUE(CanStoreSaveFolder(std::string(2047, 'a')));
}

// The executable folder takes no file, or the file is read-only: the first key fails, so nothing
// is written.
TEST_F(SettingsFileTest, UnwritableFolderOrFileStopsAtTheFirstKey) {
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0555), 0);
  EXPECT_EQ(test::ExpectIniError([&] { FullWrite(Folder(), InitialValues()); }, WriteError()), 0);
  EXPECT_TRUE(FolderNames(dir_.Path()).empty());

  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0777), 0);
  WriteText(Ini(), "; mine\r\n");
  ASSERT_EQ(::chmod(Ini().c_str(), 0444), 0);
  EXPECT_EQ(test::ExpectIniError([&] { FullWrite(Folder(), InitialValues()); }, WriteError()), 0);
  EXPECT_EQ(ReadText(Ini()), "; mine\r\n");
  EXPECT_EQ(FolderNames(dir_.Path()), std::set<std::string>{"kobanto.ini"});
}

// A key that cannot be written stops the full write there: earlier keys stay written, later ones
// are not. The file grows with each key; a size limit lets the first three fit.
TEST_F(SettingsFileTest, FailingKeyStopsTheFullWrite) {
  const std::size_t fits = Joined(4).size();  // the header and three keys
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0777), 0);
  int rc = test::ExpectIniError(
      [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
          fits, fits
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        FullWrite(Folder(), InitialValues());
      },
      WriteError());
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(ReadText(Ini()), Joined(4));
  EXPECT_EQ(FolderNames(dir_.Path()), std::set<std::string>{"kobanto.ini"});
}

// With only the folder read-only, the existing file is rewritten in place.
TEST_F(SettingsFileTest, ReadOnlyFolderWithWritableFileIsRewrittenInPlace) {
  WriteText(Ini(), "; mine\r\n");
  ASSERT_EQ(::chmod(Ini().c_str(), 0666), 0);
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0555), 0);
  int rc = test::RunUnprivileged([&] {
    FullWrite(Folder(), InitialValues());
    return 0;
  });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(ReadText(Ini()), "; mine\r\n" + Joined(kNewFileLines.size()));
  EXPECT_EQ(FolderNames(dir_.Path()), std::set<std::string>{"kobanto.ini"});
}

}  // namespace
}  // namespace kobanto::settings
