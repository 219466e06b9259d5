#include "settings/IniFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "platform/Errors.h"
#include "tests/settings/Helpers.h"
#include "tests/support/TempDir.h"
#include "tests/support/Unprivileged.h"

namespace kobanto::settings {
namespace {

using test::FolderNames;
using test::ReadText;
using test::Sjis;
using test::WriteText;

class IniFileTest : public test::TempDirTest {
 protected:
  std::string Ini() const { return Path("kobanto.ini"); }
  void Store(std::string_view valueLine) {
    WriteText(Ini(), Sjis("[縮小後画像]\r\n") + std::string(valueLine) + "\r\n");
  }
  TIniFile Reader() const { return TIniFile(Path("Kobanto.ini")); }
};

struct StatInfo {
  ino_t inode = 0;
  mode_t mode = 0;
  uid_t uid = 0;
  bool link = false;
};

StatInfo Lstat(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return {st.st_ino, st.st_mode & 07777, st.st_uid, S_ISLNK(st.st_mode)};
}

// Numbers and flags as the readers take them, each with the caller's default: quality read with
// 55, a flag read with true and with false.
TEST_F(IniFileTest, ReadsNumbersAndFlags) {
  struct Case {
    std::string_view stored;
    std::int32_t number;
    bool flagDefaultTrue;
    bool flagDefaultFalse;
  };
  const Case kCases[] = {
      {"030", 30, true, true},         {"0x4B", 75, true, true},
      {"$FFFFFFFF", -1, true, true},   {"75%", 55, true, false},
      {"7 5", 55, true, false},        {"2", 2, true, true},
      {"-1", -1, true, true},          {"0", 0, false, false},
      {"True", 55, true, false},       {"yes", 55, true, false},
      {"", 55, true, false},           {"\"12\"", 12, true, true},
      {"2147483648", 55, true, false}, {"-2147483648", INT32_MIN, true, true},
  };
  for (const auto& c : kCases) {
    Store(Sjis("圧縮率=") + std::string(c.stored));
    auto ini = Reader();
    EXPECT_EQ(ini.ReadInteger("縮小後画像", "圧縮率", 55), c.number) << c.stored;
    EXPECT_EQ(ini.ReadBool("縮小後画像", "圧縮率", true), c.flagDefaultTrue) << c.stored;
    EXPECT_EQ(ini.ReadBool("縮小後画像", "圧縮率", false), c.flagDefaultFalse) << c.stored;
  }
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(Reader().ReadString("縮小後画像", "保存先フォルダ", "C:\\windows\\temp"),
            "C:\\windows\\temp");
  EXPECT_EQ(Reader().ReadInteger("縮小後画像", "幅", 480), 480);
  EXPECT_FALSE(test::Exists(Ini())) << "reading creates no file";

  Store(Sjis("幅=5000"));
  EXPECT_EQ(Reader().ReadInteger("縮小後画像", "幅", 480), 5000);
  EXPECT_EQ(Reader().ReadInteger("縮小後画像", "高さ", 360), 360);
  EXPECT_TRUE(Reader().ReadBool("設定", "メールに添付", true));
  EXPECT_EQ(Reader().ReadStringExact("縮小後画像", "保存先フォルダ", "x"), "x");
}

TEST_F(IniFileTest, EmptyValueIsEmptyTextButTheDefaultNumber) {
  Store(Sjis("保存先フォルダ="));
  EXPECT_EQ(Reader().ReadString("縮小後画像", "保存先フォルダ", "C:\\windows\\temp"), "");
  EXPECT_EQ(Reader().ReadStringExact("縮小後画像", "保存先フォルダ", "x"), "");
  EXPECT_EQ(Reader().ReadInteger("縮小後画像", "保存先フォルダ", 7), 7);
}

// At most 2047 bytes of a value are read. A cut inside a double-byte character, or bytes that are
// not code page 932 at all (a file saved by a UTF-8 editor), leave text that does not decode.
TEST_F(IniFileTest, LongAndUndecodableValues) {
  struct Case {
    std::string name;
    std::string stored;
    std::optional<std::string> exact;
    std::string shown;
  };
  const std::string a2046(2046, 'a');
  const Case kCases[] = {
      {"cut at 2047", std::string(3000, 'a'), std::string(2047, 'a'), std::string(2047, 'a')},
      {"exactly 2047", std::string(2047, 'b'), std::string(2047, 'b'), std::string(2047, 'b')},
      {"quotes go before the cut", "\"" + std::string(2047, 'c') + "\"", std::string(2047, 'c'),
       std::string(2047, 'c')},
      {"cut inside 表", a2046 + "\x95\x5C", std::nullopt, a2046 + "\uFFFD"},
      {"stray bytes", "C:\\\x80\xFD\\x", std::nullopt, "C:\\\uFFFD\uFFFD\\x"},
  };
  for (const auto& c : kCases) {
    Store(Sjis("保存先フォルダ=") + c.stored);
    auto ini = Reader();
    EXPECT_EQ(ini.ReadStringExact("縮小後画像", "保存先フォルダ", "d"), c.exact) << c.name;
    EXPECT_EQ(ini.ReadString("縮小後画像", "保存先フォルダ", "d"), c.shown) << c.name;
  }
}

// "Kobanto.ini" and "kobanto.ini" are one file: the exact lower-case name wins, else the
// matching file name that sorts first by bytes. Readers and the writer take the same one, and a
// write keeps its name.
TEST_F(IniFileTest, OneCaseInsensitiveLookup) {
  struct Case {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    std::string chosen;
  };
  const Case kCases[] = {
      {{"Kobanto.ini"}, {}, "Kobanto.ini"},
      {{"KOBANTO.INI"}, {}, "KOBANTO.INI"},
      {{"Kobanto.ini", "KOBANTO.INI"}, {}, "KOBANTO.INI"},
      {{"KOBANTO.INI", "Kobanto.ini", "kobanto.ini"}, {}, "kobanto.ini"},
      {{"Kobanto.ini"}, {"kobanto.ini"}, "Kobanto.ini"},
      {{"kObanto.ini"}, {"KOBANTO.INI"}, "kObanto.ini"},
  };
  for (const auto& c : kCases) {
    test::TempDir dir;
    const std::string folder = dir.Path() + "/";
    for (const auto& name : c.files) WriteText(folder + name, "[S]\r\nk=" + name + "\r\n");
    for (const auto& name : c.folders) ASSERT_EQ(::mkdir((folder + name).c_str(), 0755), 0);
    auto names = FolderNames(dir.Path());

    EXPECT_TRUE(SettingsFileExists(folder + "Kobanto.ini")) << c.chosen;
    EXPECT_TRUE(SettingsFileExists(folder + "kobanto.ini")) << c.chosen;
    for (std::string_view form : {"Kobanto.ini", "kobanto.ini"}) {
      EXPECT_EQ(TIniFile(folder + std::string(form)).ReadString("S", "k", ""), c.chosen) << form;
    }
    TIniFile(folder + "kobanto.ini").WriteString("S", "k", "written");
    EXPECT_EQ(ReadText(folder + c.chosen), "[S]\r\nk=written\r\n");
    EXPECT_EQ(FolderNames(dir.Path()), names) << "no file added or renamed";
  }
}

TEST_F(IniFileTest, ExistenceTestCountsOnlyFiles) {
  EXPECT_FALSE(SettingsFileExists(Path("Kobanto.ini")));
  ASSERT_EQ(::mkdir(Ini().c_str(), 0755), 0);
  EXPECT_FALSE(SettingsFileExists(Path("Kobanto.ini"))) << "a folder is not a file";
  ASSERT_EQ(::rmdir(Ini().c_str()), 0);
  ASSERT_EQ(::symlink("missing.ini", Ini().c_str()), 0);
  EXPECT_FALSE(SettingsFileExists(Path("Kobanto.ini"))) << "a dangling link names no file";
  WriteText(Path("missing.ini"), "");
  EXPECT_TRUE(SettingsFileExists(Path("Kobanto.ini"))) << "a link to a file is a file";
}

TEST_F(IniFileTest, FolderInThePlaceOfTheFileIsAWriteError) {
  ASSERT_EQ(::mkdir(Ini().c_str(), 0755), 0);
  TIniFile ini(Ini());
  try {
    ini.WriteInteger("S", "k", 1);
    FAIL() << "no error";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), Ini() + " に書き込めません");
  }
  EXPECT_EQ(FolderNames(dir_.Path()), std::set<std::string>{"kobanto.ini"});
}

// The file is replaced whole (a new inode), keeps its permissions, and no temporary file stays.
TEST_F(IniFileTest, ReplacesTheFileKeepingPermissions) {
  WriteText(Ini(), "[S]\r\nk=1\r\n");
  ASSERT_EQ(::chmod(Ini().c_str(), 0640), 0);
  const StatInfo before = Lstat(Ini());
  TIniFile(Ini()).WriteInteger("S", "k", 2);
  const StatInfo after = Lstat(Ini());
  EXPECT_NE(after.inode, before.inode);
  EXPECT_EQ(after.mode, 0640u);
  EXPECT_EQ(ReadText(Ini()), "[S]\r\nk=2\r\n");
  EXPECT_EQ(FolderNames(dir_.Path()), std::set<std::string>{"kobanto.ini"});
}

TEST_F(IniFileTest, RootKeepsTheFilesOwner) {
  if (!test::RunningAsRoot()) GTEST_SKIP() << "only root can give a file to another user";
  WriteText(Ini(), "[S]\r\nk=1\r\n");
  ASSERT_EQ(::chown(Ini().c_str(), test::kUnprivilegedId, test::kUnprivilegedId), 0);
  TIniFile(Ini()).WriteInteger("S", "k", 2);
  EXPECT_EQ(Lstat(Ini()).uid, static_cast<uid_t>(test::kUnprivilegedId));
  EXPECT_EQ(ReadText(Ini()), "[S]\r\nk=2\r\n");
}

// A link named kobanto.ini stays a link; its target, in another folder, is updated, and neither
// folder keeps a temporary file. A dangling link gets its target created.
TEST_F(IniFileTest, SymbolicLinkStaysALink) {
  ASSERT_EQ(::mkdir(Path("real").c_str(), 0755), 0);
  WriteText(Path("real/settings.ini"), "[S]\r\nk=1\r\n");
  ASSERT_EQ(::symlink("real/settings.ini", Ini().c_str()), 0);
  TIniFile(Path("Kobanto.ini")).WriteInteger("S", "k", 2);
  EXPECT_TRUE(Lstat(Ini()).link);
  EXPECT_EQ(ReadText(Path("real/settings.ini")), "[S]\r\nk=2\r\n");
  EXPECT_EQ(FolderNames(Path("real")), std::set<std::string>{"settings.ini"});

  ASSERT_EQ(::unlink(Path("real/settings.ini").c_str()), 0);
  TIniFile(Ini()).WriteInteger("S", "k", 3);
  EXPECT_TRUE(Lstat(Ini()).link);
  EXPECT_EQ(ReadText(Path("real/settings.ini")), "[S]\r\nk=3\r\n");
  EXPECT_EQ(FolderNames(dir_.Path()), (std::set<std::string>{"kobanto.ini", "real"}));
}

// A folder that takes no new file (or lets us add files but not replace this one, as the sticky
// bit of a shared folder does) while the file itself is writable: the file is rewritten in place.
TEST_F(IniFileTest, RewritesInPlaceWhenOnlyTheFolderRefuses) {
  struct Case {
    std::string name;
    mode_t folderMode;
    bool needsRoot;
  };
  const Case kCases[] = {{"read-only folder", 0555, false}, {"sticky shared folder", 01777, true}};
  for (const auto& c : kCases) {
    if (c.needsRoot && !test::RunningAsRoot()) continue;
    test::TempDir dir;
    const std::string ini = dir / "kobanto.ini";
    WriteText(ini, "; keep\r\n[S]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(ini.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), c.folderMode), 0);
    const StatInfo before = Lstat(ini);
    int rc = test::RunUnprivileged([&] {
      TIniFile(ini).WriteString("S", "k", "longer than before");
      return 0;
    });
    EXPECT_EQ(rc, 0) << c.name;
    EXPECT_EQ(Lstat(ini).inode, before.inode) << c.name;
    EXPECT_EQ(ReadText(ini), "; keep\r\n[S]\r\nk=longer than before\r\n") << c.name;
    EXPECT_EQ(FolderNames(dir.Path()), std::set<std::string>{"kobanto.ini"}) << c.name;
  }
}

// A read-only file is not replaced even though its folder would allow it, as on Windows.
TEST_F(IniFileTest, ReadOnlyFileIsAWriteError) {
  WriteText(Ini(), "[S]\r\nk=1\r\n");
  ASSERT_EQ(::chmod(Ini().c_str(), 0444), 0);
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0777), 0);
  for (bool unprivileged : {true, false}) {
    auto write = [&] { TIniFile(Ini()).WriteInteger("S", "k", 2); };
    if (unprivileged) {
      EXPECT_EQ(test::ExpectIniError(write, Ini() + " に書き込めません"), 0);
    } else {
      EXPECT_THROW(write(), EIniFileException) << "read-only also for root";
    }
    EXPECT_EQ(ReadText(Ini()), "[S]\r\nk=1\r\n");
    EXPECT_EQ(FolderNames(dir_.Path()), std::set<std::string>{"kobanto.ini"});
  }
}

// A write that fails midway (here a file-size limit, as a full disk would) leaves the old file
// whole and no temporary file.
TEST_F(IniFileTest, FailedWriteLeavesTheOldFile) {
  const std::string before = "[S]\r\nk=" + std::string(100, '1') + "\r\n";
  WriteText(Ini(), before);
  ASSERT_EQ(::chmod(Ini().c_str(), 0666), 0);
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0777), 0);
  int rc = test::ExpectIniError(
      [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
          150, 150
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TIniFile(Ini()).WriteString("S", "k", std::string(200, '2'));
      },
      Ini() + " に書き込めません");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(ReadText(Ini()), before);
  EXPECT_EQ(FolderNames(dir_.Path()), std::set<std::string>{"kobanto.ini"});
}

TEST_F(IniFileTest, LineEndsInNamesOrValuesAreRefused) {
  TIniFile ini(Ini());
  EXPECT_THROW(ini.WriteString("S", "k", "a\r\n[T]"), EIniFileException);
  EXPECT_THROW(ini.WriteString("S", "k\n", "a"), EIniFileException);
  EXPECT_THROW(ini.WriteString("S", "k", "〜"), EIniFileException);
  EXPECT_FALSE(test::Exists(Ini()));
}

}  // namespace
}  // namespace kobanto::settings
