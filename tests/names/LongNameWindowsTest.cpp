#include <gtest/gtest.h>

#include <string>

#include "Unit2/LongName.h"
#include "tests/names/FakeWindowsTree.h"

namespace kobanto {
namespace {

const std::string kHyo = "\x95\x5c";                       // 表, its trail byte is "\"
const std::string kServerJa = "\x83\x54\x81\x5b\x83\x6f";  // サーバ, its last trail byte is "o"

class WindowsLongName : public ::testing::Test {
 protected:
  WindowsLongName() {
    tree_.Add("C:", {"My Documents|MYDOCU~1", "photo 1.jpg|PHOTO1~1.JPG"});
    tree_.Add("C:", {"Photos", "DSC0001.JPG"});
    tree_.Add("C:", {"A.JPG"});
    tree_.Add("C:", {kHyo, "a.jpg"});
    tree_.Add("C:", {"Work", "A.JPG"});
    tree_.Add("C:", {"Work", "Sub", "b.jpg"});
    tree_.Add("C:", {"Locked", "a.jpg"});
    tree_.FailSearchFor("C:", {"Locked"});
    tree_.Add("C:", {"Vanished.jpg"});
    tree_.FailSearchFor("C:", {"Vanished.jpg"});
    tree_.Add("\\\\SERVER\\SHARE", {"Dir", "a.jpg"});
    tree_.Add("\\\\" + kServerJa + "\\SHARE", {"b.jpg"});
  }

  std::string Long(const std::string& path) const {
    return LongFileName(path, WindowsPathRules(), tree_);
  }

  test::FakeWindowsTree tree_;
};

TEST_F(WindowsLongName, SpellsEveryComponentAsStoredAndTheRootInUpperCase) {
  struct Case {
    std::string path;
    std::string expected;
  } cases[] = {
      {"C:\\MYDOCU~1\\PHOTO1~1.JPG", "C:\\My Documents\\photo 1.jpg"},
      {"c:\\photos\\dsc0001.jpg", "C:\\Photos\\DSC0001.JPG"},
      {"c:\\a.jpg", "C:\\A.JPG"},
      {"\\\\server\\share\\dir\\a.jpg", "\\\\SERVER\\SHARE\\Dir\\a.jpg"},
      // The trail byte 5C of 表 is no delimiter, and a separator still goes after it.
      {"C:\\" + kHyo + "\\A.JPG", "C:\\" + kHyo + "\\a.jpg"},
      // Upper-casing the root leaves the trail byte "o" of バ alone.
      {"\\\\" + kServerJa + "\\share\\B.JPG", "\\\\" + kServerJa + "\\SHARE\\b.jpg"},
  };
  for (const Case& c : cases) EXPECT_EQ(Long(c.path), c.expected) << c.path;
}

TEST_F(WindowsLongName, WhatNamesNoFileIsEmpty) {
  for (const std::string path : {"C:\\Photos\\missing.jpg", "C:\\Nope\\a.jpg", "C:\\Photos",
                                 "C:\\MYDOCU~1", "C:\\", "", "\\\\server\\share"}) {
    EXPECT_EQ(Long(path), "") << path;
  }
}

TEST_F(WindowsLongName, AFailedSearchAtAnyLevelGivesTheEmptyString) {
  // The file exists, but its folder cannot be searched: no path with a lone backslash in place
  // of the folder is made up.
  EXPECT_EQ(Long("C:\\Locked\\a.jpg"), "");
  // The file vanished between the existence test and its own search.
  EXPECT_EQ(Long("C:\\Vanished.jpg"), "");
}

TEST_F(WindowsLongName, PathsWithoutAFullRootStayRelativeAndTheRecursionEnds) {
  // The fake answers a search for a bare "C:" with the current folder's name, so a recursion
  // that only stopped at the root length would go round for ever.
  struct Case {
    std::string path;
    std::string expected;
  } cases[] = {
      {"a.jpg", "A.JPG"},
      {"sub\\B.JPG", "Sub\\b.jpg"},
      {"c:a.jpg", "C:A.JPG"},
      {"c:sub\\b.jpg", "C:Sub\\b.jpg"},
      {"\\photos\\dsc0001.jpg", "\\Photos\\DSC0001.JPG"},
      // A doubled separator cannot be shortened past: it stays as given.
      {"c:\\photos\\\\dsc0001.jpg", "C:\\photos\\\\DSC0001.JPG"},
  };
  for (const Case& c : cases) EXPECT_EQ(Long(c.path), c.expected) << c.path;
}

}  // namespace
}  // namespace kobanto
