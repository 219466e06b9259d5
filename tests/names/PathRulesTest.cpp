#include <gtest/gtest.h>

#include <string>

#include "Unit2/PathRules.h"

namespace kobanto {
namespace {

// Code page 932 spellings: 表 = 95 5C and ソ = 83 5C end in the byte of "\"; バ = 83 6F and
// ト = 83 67 end in the bytes of "o" and "g".
const std::string kHyo = "\x95\x5c";
const std::string kSo = "\x83\x5c";
const std::string kServerJa = "\x83\x54\x81\x5b\x83\x6f";  // サーバ
const std::string kSoft = "\x83\x5c\x83\x74\x83\x67";      // ソフト

struct PartsCase {
  std::string path;
  std::string ext;
  std::string name;
  std::string dir;
};

void PrintTo(const PartsCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.path); }

class WindowsParts : public ::testing::TestWithParam<PartsCase> {};

TEST_P(WindowsParts, SplitAtDelimitersButNeverAtTrailBytes) {
  const PartsCase& c = GetParam();
  const PathRules& rules = WindowsPathRules();
  EXPECT_EQ(ExtractFileExt(c.path, rules), c.ext);
  EXPECT_EQ(ExtractFileName(c.path, rules), c.name);
  EXPECT_EQ(ExtractFileDir(c.path, rules), c.dir);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsParts,
    ::testing::Values(PartsCase{"C:\\Photos\\dsc0001.JPG", ".JPG", "dsc0001.JPG", "C:\\Photos"},
                      PartsCase{"C:\\Photos.old\\readme", "", "readme", "C:\\Photos.old"},
                      PartsCase{"a.tar.jpg", ".jpg", "a.tar.jpg", ""},
                      PartsCase{"C:\\Photos", "", "Photos", "C:\\"},
                      PartsCase{"\\\\server\\share\\a.jpg", ".jpg", "a.jpg", "\\\\server\\share"},
                      PartsCase{"C:a.jpg", ".jpg", "a.jpg", "C:"},
                      PartsCase{"C:x.d:b", "", "b", "C:x.d:"}, PartsCase{"", "", "", ""},
                      PartsCase{"\\a.jpg", ".jpg", "a.jpg", "\\"},
                      PartsCase{"C:\\a\\\\b", "", "b", "C:\\a\\\\"},
                      PartsCase{"C:\\" + kHyo + "\\a.jpg", ".jpg", "a.jpg", "C:\\" + kHyo},
                      PartsCase{"C:\\" + kHyo, "", kHyo, "C:\\"},
                      PartsCase{"C:\\a.b" + kSo, ".b" + kSo, "a.b" + kSo, "C:\\"},
                      PartsCase{"C:\\" + kSo + "\\" + kSo + "\\", "", "",
                                "C:\\" + kSo + "\\" + kSo}));

class HostParts : public ::testing::TestWithParam<PartsCase> {};

TEST_P(HostParts, SplitAtSlashesWithAPlainByteScan) {
  const PartsCase& c = GetParam();
  EXPECT_EQ(ExtractFileExt(c.path), c.ext);
  EXPECT_EQ(ExtractFileName(c.path), c.name);
  EXPECT_EQ(ExtractFileDir(c.path), c.dir);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostParts,
    ::testing::Values(PartsCase{"/photos/dsc0001.JPG", ".JPG", "dsc0001.JPG", "/photos"},
                      PartsCase{"/photos.old/readme", "", "readme", "/photos.old"},
                      PartsCase{"/a", "", "a", "/"}, PartsCase{"/", "", "", "/"},
                      PartsCase{"a/b.jpg", ".jpg", "b.jpg", "a"}, PartsCase{"a", "", "a", ""},
                      PartsCase{"", "", "", ""},
                      // ":" and "\" are ordinary characters here.
                      PartsCase{"/x/C:a.b", ".b", "C:a.b", "/x"},
                      PartsCase{"/x.d/a\\b", "", "a\\b", "/x.d"},
                      // A byte that would be a lead byte in code page 932 shields nothing.
                      PartsCase{"/x/\x95/y.jpg", ".jpg", "y.jpg", "/x/\x95"}));

struct RootCase {
  std::string path;
  std::string root;
  std::size_t rootLength;
  std::string upper;  // the root's letters made upper case
};

void PrintTo(const RootCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.path); }

class WindowsRoots : public ::testing::TestWithParam<RootCase> {};

TEST_P(WindowsRoots, DriveAndNetworkRoots) {
  const RootCase& c = GetParam();
  const PathRules& rules = WindowsPathRules();
  EXPECT_EQ(ExtractFileDrive(c.path, rules), c.root);
  EXPECT_EQ(rules.RootLength(c.path), c.rootLength);
  EXPECT_EQ(UpperCaseRoot(c.root, rules), c.upper);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsRoots,
    ::testing::Values(RootCase{"c:\\photos\\a.jpg", "c:", 3, "C:"}, RootCase{"c:", "c:", 3, "C:"},
                      RootCase{"c:a.jpg", "c:", 3, "C:"},
                      RootCase{"\\\\server\\share\\dir\\a.jpg", "\\\\server\\share", 14,
                               "\\\\SERVER\\SHARE"},
                      RootCase{"\\\\server\\share", "\\\\server\\share", 14, "\\\\SERVER\\SHARE"},
                      RootCase{"\\\\server", "\\\\server", 8, "\\\\SERVER"},
                      RootCase{"a.jpg", "", 0, ""}, RootCase{"\\a.jpg", "", 0, ""},
                      RootCase{"", "", 0, ""},
                      // Trail bytes that look like "\" or a letter are left alone.
                      RootCase{"\\\\" + kHyo + "\\share\\a", "\\\\" + kHyo + "\\share", 10,
                               "\\\\" + kHyo + "\\SHARE"},
                      RootCase{"\\\\" + kServerJa + "\\" + kSoft + "x\\a",
                               "\\\\" + kServerJa + "\\" + kSoft + "x", 16,
                               "\\\\" + kServerJa + "\\" + kSoft + "X"}));

TEST(HostRoots, SlashIsTheOnlyRoot) {
  EXPECT_EQ(ExtractFileDrive("/home/a.jpg"), "/");
  EXPECT_EQ(HostPathRules().RootLength("/home/a.jpg"), 1u);
  EXPECT_EQ(ExtractFileDrive("c:/a.jpg"), "");
  EXPECT_EQ(ExtractFileDrive("//server/share"), "/");
}

struct BackslashCase {
  std::string path;
  std::string windows;
  std::string host;
};

void PrintTo(const BackslashCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.path); }

class AddBackslashTable : public ::testing::TestWithParam<BackslashCase> {};

TEST_P(AddBackslashTable, OnlyTheSeparatorCounts) {
  const BackslashCase& c = GetParam();
  EXPECT_EQ(AddBackslash(c.path, WindowsPathRules()), c.windows);
  EXPECT_EQ(AddBackslash(c.path), c.host);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AddBackslashTable,
    ::testing::Values(BackslashCase{"C:\\", "C:\\", "C:\\/"},
                      BackslashCase{"C:\\dir", "C:\\dir\\", "C:\\dir/"},
                      BackslashCase{"", "\\", "/"}, BackslashCase{"C:", "C:\\", "C:/"},
                      BackslashCase{"/home", "/home\\", "/home/"}, BackslashCase{"/", "/\\", "/"},
                      BackslashCase{"C:\\" + kHyo, "C:\\" + kHyo + "\\", "C:\\" + kHyo + "/"}));

}  // namespace
}  // namespace kobanto
