#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "Unit2/LongName.h"
#include "tests/support/TempDir.h"
#include "tests/support/Unprivileged.h"

namespace kobanto {
namespace {

namespace fs = std::filesystem;

class HostLongName : public test::TempDirTest {
 protected:
  HostLongName() {
    fs::create_directory(Path("Photos"));
    test::WriteText(Path("Photos/DSC0001.JPG"), "x");
  }

  std::string Real(const std::string& name) const {
    return fs::canonical(dir_.Path()).string() + "/" + name;
  }
};

TEST_F(HostLongName, AnExistingFileKeepsItsSpelling) {
  EXPECT_EQ(LongFileName(Path("Photos/DSC0001.JPG")), Path("Photos/DSC0001.JPG"));
  test::WriteText(Path(".hidden.jpg"), "x");
  EXPECT_EQ(LongFileName(Path(".hidden.jpg")), Path(".hidden.jpg"));
  // Runs of "/" are written as one.
  EXPECT_EQ(LongFileName(dir_.Path() + "//Photos///DSC0001.JPG"), Path("Photos/DSC0001.JPG"));
}

TEST_F(HostLongName, MissingFilesAndFoldersAreEmpty) {
  for (const std::string& path : {Path("Photos/missing.jpg"), Path("Nope/a.jpg"), Path("Photos"),
                                  Path("Photos/"), Path("Photos/DSC0001.JPG/"), std::string()}) {
    EXPECT_EQ(LongFileName(path), "") << path;
  }
}

TEST_F(HostLongName, SymbolicLinksKeepTheirOwnNames) {
  fs::create_symlink(Path("Photos/DSC0001.JPG"), Path("link.jpg"));
  fs::create_directory_symlink(Path("Photos"), Path("album"));
  fs::create_symlink(Path("gone.jpg"), Path("dangling.jpg"));
  EXPECT_EQ(LongFileName(Path("link.jpg")), Path("link.jpg"));
  EXPECT_EQ(LongFileName(Path("album/DSC0001.JPG")), Path("album/DSC0001.JPG"));
  EXPECT_EQ(LongFileName(Path("album")), "");
  EXPECT_EQ(LongFileName(Path("dangling.jpg")), "");
}

TEST_F(HostLongName, ARelativePathIsMadeAbsoluteAgainstTheCurrentFolder) {
  fs::path previous = fs::current_path();
  fs::current_path(dir_.Path());
  std::string plain = LongFileName("Photos/DSC0001.JPG");
  // "." and ".." stay as given: the kernel resolves them.
  std::string dotted = LongFileName("./Photos/../Photos/DSC0001.JPG");
  fs::current_path(previous);
  EXPECT_EQ(plain, Real("Photos/DSC0001.JPG"));
  EXPECT_EQ(dotted, Real("./Photos/../Photos/DSC0001.JPG"));
}

TEST_F(HostLongName, SearchTakesTheExactNameFirstThenTheFirstCaseInsensitiveMatch) {
  HostDirSearch search;
  test::WriteText(Path("a.Jpg"), "x");
  test::WriteText(Path("A.jpg"), "x");
  EXPECT_EQ(search.Find(Path("photos")), "Photos");
  EXPECT_EQ(search.Find(Path("a.jpg")), "A.jpg");  // "A.jpg" sorts before "a.Jpg"
  EXPECT_EQ(search.Find(Path("a.Jpg")), "a.Jpg");
  EXPECT_EQ(search.Find(Path("b.jpg")), std::nullopt);
  EXPECT_EQ(search.Find(Path("Photos/")), std::nullopt);
}

// As on a FAT camera card, where the kernel finds a file under any spelling of its name.
class CaseInsensitiveCard final : public DirSearch {
 public:
  bool NamesExistingFile(const std::string&) const override { return true; }
  std::optional<std::string> Find(const std::string& path) const override {
    return host_.Find(path);
  }

 private:
  HostDirSearch host_;
};

TEST_F(HostLongName, TheFileTakesItsStoredSpelling) {
  CaseInsensitiveCard card;
  EXPECT_EQ(LongFileName(Path("Photos/dsc0001.jpg"), HostPathRules(), card),
            Path("Photos/DSC0001.JPG"));
}

TEST_F(HostLongName, AFolderThatCannotBeListedKeepsItsNameAsGiven) {
  fs::create_directory(Path("locked"));
  test::WriteText(Path("locked/a.jpg"), "x");
  ::chmod(Path("locked").c_str(), 0111);  // enter, but not list
  std::string path = Path("locked/a.jpg");
  EXPECT_EQ(test::RunUnprivileged([&] {
              HostDirSearch search;
              if (LongFileName(path) != path) return 1;
              // No listing, so no case-insensitive fallback either.
              if (search.Find(Path("locked/A.JPG"))) return 2;
              return 0;
            }),
            0);
}

}  // namespace
}  // namespace kobanto
