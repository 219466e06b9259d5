#include "platform/FileIo.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Errors.h"
#include "tests/support/TempDir.h"
#include "tests/support/Unprivileged.h"

namespace kobanto {
namespace {

using test::Exists;
using test::ReadText;
using test::WriteText;

class FileIoTest : public test::TempDirTest {};

TEST_F(FileIoTest, ReadsTheWholeFile) {
  std::string bytes(100000, 'x');
  bytes[5] = '\0';
  WriteText(Path("a.jpg"), bytes);
  auto data = ReadWholeFile(Path("a.jpg"));
  EXPECT_EQ(std::string(data.begin(), data.end()), bytes);
  EXPECT_TRUE(ReadWholeFile((WriteText(Path("empty"), ""), Path("empty"))).empty());
}

TEST_F(FileIoTest, RefusesWhatIsNotARegularFileWithTheOpenError) {
  ::mkdir(Path("folder").c_str(), 0755);
  ::mkfifo(Path("fifo").c_str(), 0644);  // nobody writes to it: a blocking open would hang
  for (const std::string& path : {Path("missing.jpg"), std::string(), Path("folder"), Path("fifo"),
                                  std::string("/dev/null")}) {
    try {
      ReadWholeFile(path);
      ADD_FAILURE() << path;
    } catch (const EFOpenError& e) {
      EXPECT_EQ(e.Message(), "ファイル " + path + " は開けません");
    }
  }
}

TEST_F(FileIoTest, CreateTruncatesAnExistingFileBeforeWriting) {
  WriteText(Path("out.jpg"), "old contents");
  auto file = OutputFile::Create(Path("out.jpg"));
  EXPECT_EQ(ReadText(Path("out.jpg")), "");
  const std::uint8_t bytes[] = {1, 2, 3};
  file.WriteAll(bytes);
  EXPECT_EQ(ReadText(Path("out.jpg")), "\x01\x02\x03");
}

TEST_F(FileIoTest, CreateRefusesLinksFifosFoldersAndMissingFolders) {
  WriteText(Path("target"), "keep me");
  ::symlink(Path("target").c_str(), Path("link").c_str());
  ::symlink(Path("nowhere").c_str(), Path("dangling").c_str());
  ::mkfifo(Path("fifo").c_str(), 0644);
  ::mkdir(Path("folder").c_str(), 0755);
  for (const std::string& path : {Path("link"), Path("dangling"), Path("fifo"), Path("folder"),
                                  Path("missing/out.jpg"), std::string()}) {
    try {
      OutputFile::Create(path);
      ADD_FAILURE() << path;
    } catch (const EFCreateError& e) {
      EXPECT_EQ(e.Message(), "ファイル " + path + " を作成できません");
    }
  }
  EXPECT_EQ(ReadText(Path("target")), "keep me");
  EXPECT_FALSE(Exists(Path("nowhere")));
}

TEST_F(FileIoTest, CreateLeavesAReadOnlyFileAsItWas) {
  WriteText(Path("ro.jpg"), "original");
  ::chmod(Path("ro.jpg").c_str(), 0444);
  int rc = test::RunUnprivileged([&] {
    try {
      OutputFile::Create(Path("ro.jpg"));
      return 1;
    } catch (const EFCreateError&) {
      return 0;
    }
  });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(ReadText(Path("ro.jpg")), "original");
}

TEST_F(FileIoTest, AWriteCutShortLeavesAnEmptyFileAndIsReported) {
  ::chmod(dir_.Path().c_str(), 0777);
  int rc = test::RunUnprivileged([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    auto file = OutputFile::Create(Path("big.jpg"));
    std::vector<std::uint8_t> bytes(5000, 7);
    try {
      file.WriteAll(bytes);
      return 1;
    } catch (const EWriteError& e) {
      return e.Message() == "ストリームへの書き込みエラー" ? 0 : 2;
    }
  });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(ReadText(Path("big.jpg")), "");
}

}  // namespace
}  // namespace kobanto
