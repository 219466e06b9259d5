#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "tests/support/ProgramFixture.h"

namespace kobanto {
namespace {

using test::Exists;

class ConversionRunTest : public test::ProgramTest {
 public:
  void WriteSettings(bool attach) { ProgramTest::WriteSettings(SettingsText(Path("out"), attach)); }
};

TEST_F(ConversionRunTest, ConvertsAndHandsTheListToTheCompanion) {
  WriteSettings(true);
  FakeCompanion();
  const std::string a = Picture("in/a.jpg", 640, 480), b = Picture("in/b.JPG");
  test::WriteText(Path("in/notes, draft.txt"), "notes");
  Watch(Path("in/notes, draft.txt"));

  // Every run also checks that the sources are byte for byte as they were, with their times.
  auto result = Run({a, b, Path("in/notes, draft.txt")});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  auto out = test::DecodeJpeg(test::ReadBytes(Path("out/S_a.jpg")));
  EXPECT_EQ(out.width, 192);
  EXPECT_EQ(out.height, 144);
  EXPECT_TRUE(Exists(Path("out/S_b.JPG")));
  EXPECT_EQ(Received(), Path("out/S_a.jpg") + "," + Path("out/S_b.JPG") + ",\"" +
                            Path("in/notes, draft.txt") + "\"");
}

TEST_F(ConversionRunTest, AFailureOnTheSecondArgumentIsReportedOnStandardError) {
  WriteSettings(true);
  FakeCompanion();
  const std::string a = Picture("in/a.jpg"), c = Picture("in/c.jpg");
  test::WriteText(Path("in/b.jpg"), "\x89PNG\r\n\x1a\n");
  auto result = Run({a, Path("in/b.jpg"), c});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "JPEG エラー #52.\n");
  EXPECT_TRUE(Exists(Path("out/S_a.jpg")));
  EXPECT_FALSE(Exists(Path("out/S_b.jpg")));
  EXPECT_FALSE(Exists(Path("out/S_c.jpg")));
}

TEST_F(ConversionRunTest, ArgumentsThatLookLikeOptionsAreFilesAndNoSettingsFileIsMade) {
  Picture("in/-reverse.jpg");
  Picture("in/-style.jpg");
  test::Limits inFolder;
  inFolder.workingFolder = Path("in");
  // Without a settings file the outputs go to the system's temporary folder, tmp/ here.
  auto result = Run({"-reverse.jpg", "-style.jpg"}, inFolder);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Exists(Path("tmp/S_-reverse.jpg")));
  EXPECT_TRUE(Exists(Path("tmp/S_-style.jpg")));
  EXPECT_FALSE(Exists(Path("bin/kobanto.ini")));
}

TEST_F(ConversionRunTest, TheRealCompanionOpensTheMailComposerWithTheAttachments) {
  WriteSettings(true);
  test::CopyFile(KOBANTO_COMPANION, Path("bin/SendTo.exe"));
  const std::string mail = Path("mail/xdg-email");
  test::WriteText(Path("tools/xdg-email"),
                  "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + mail +
                      "\"\ntouch \"" + mail + ".done\"\n");
  ::chmod(Path("tools/xdg-email").c_str(), 0755);
  const std::string a = Picture("in/a b.jpg");
  auto result = Run({a});
  EXPECT_EQ(result.status, 0) << result.err;
  for (int i = 0; i < 200 && !Exists(mail + ".done"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  EXPECT_EQ(test::ReadText(mail), "--attach\n" + Path("out/S_a b.jpg") + "\n");
}

}  // namespace
}  // namespace kobanto
