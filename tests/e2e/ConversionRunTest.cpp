#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/Cp932.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

namespace kobanto {
namespace {

using test::Exists;

// Waits until a file that a detached process writes has appeared (or gives up after a while).
std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 200 && !Exists(path + ".done"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return test::ReadText(path);
}

void WriteScript(const std::string& path, const std::string& text) {
  test::WriteText(path, text);
  ::chmod(path.c_str(), 0755);
}

// A copy of the program in a folder of its own: its settings file and companion live beside it.
class ConversionRunTest : public test::TempDirTest {
 public:
  void SetUp() override {
    for (auto sub : {"bin", "in", "out", "tools"}) ::mkdir(Path(sub).c_str(), 0755);
    test::CopyFile(KOBANTO_BINARY, Path("bin/kobanto"));
  }

  void WriteSettings(bool attach) {
    const std::string text = "[縮小後画像]\r\n保存先フォルダ=" + Path("out") +
                             "\r\n[設定]\r\nメールに添付=" + (attach ? "1" : "0") + "\r\n";
    test::WriteText(Path("bin/kobanto.ini"), Utf8ToCp932(text).value());
  }

  // A stand-in companion that records the one argument it receives.
  void FakeCompanion() {
    WriteScript(Path("bin/SendTo.exe"),
                "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/received\"\n"
                "echo \"$#\" > \"$(dirname \"$0\")/received.done\"\n");
  }

  std::string Picture(const std::string& name, int width = 64, int height = 48) {
    test::JpegRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    test::WriteJpeg(Path("in/" + name), recipe);
    return Path("in/" + name);
  }

  test::ProcessResult Run(std::vector<std::string> args, const std::string& workingFolder = "") {
    args.insert(args.begin(), Path("bin/kobanto"));
    test::ProcessOptions options;
    options.env = {{"DISPLAY", std::nullopt},         {"WAYLAND_DISPLAY", std::nullopt},
                   {"QT_QPA_PLATFORM", std::nullopt}, {"HOME", dir_.Path()},
                   {"TMPDIR", Path("out")},           {"PATH", Path("tools") + ":/usr/bin:/bin"}};
    options.workingFolder = workingFolder;
    return test::RunProcess(args, options);
  }
};

TEST_F(ConversionRunTest, ConvertsAndHandsTheListToTheCompanion) {
  WriteSettings(true);
  FakeCompanion();
  const std::string a = Picture("a.jpg", 640, 480), b = Picture("b.JPG");
  test::WriteText(Path("in/notes, draft.txt"), "notes");
  const auto before = test::ReadBytes(a);
  struct stat statBefore {};
  ::stat(a.c_str(), &statBefore);

  auto result = Run({a, b, Path("in/notes, draft.txt")});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  auto out = test::DecodeJpeg(test::ReadBytes(Path("out/S_a.jpg")));
  EXPECT_EQ(out.width, 192);
  EXPECT_EQ(out.height, 144);
  EXPECT_TRUE(Exists(Path("out/S_b.JPG")));
  EXPECT_EQ(WaitForFile(Path("bin/received")), Path("out/S_a.jpg") + "," + Path("out/S_b.JPG") +
                                                   ",\"" + Path("in/notes, draft.txt") + "\"");
  EXPECT_EQ(test::ReadText(Path("bin/received.done")), "1\n");

  // The originals stay exactly as they were.
  struct stat statAfter {};
  ::stat(a.c_str(), &statAfter);
  EXPECT_EQ(test::ReadBytes(a), before);
  EXPECT_EQ(statAfter.st_mtim.tv_sec, statBefore.st_mtim.tv_sec);
  EXPECT_EQ(statAfter.st_mtim.tv_nsec, statBefore.st_mtim.tv_nsec);
}

TEST_F(ConversionRunTest, AFailureOnTheSecondArgumentIsReportedOnStandardError) {
  WriteSettings(true);
  FakeCompanion();
  const std::string a = Picture("a.jpg"), c = Picture("c.jpg");
  test::WriteText(Path("in/b.jpg"), "\x89PNG\r\n\x1a\n");
  auto result = Run({a, Path("in/b.jpg"), c});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "JPEG エラー #52.\n");
  EXPECT_TRUE(Exists(Path("out/S_a.jpg")));
  EXPECT_FALSE(Exists(Path("out/S_b.jpg")));
  EXPECT_FALSE(Exists(Path("out/S_c.jpg")));
}

TEST_F(ConversionRunTest, ArgumentsThatLookLikeOptionsAreFilesAndNoSettingsFileIsMade) {
  Picture("-reverse.jpg");
  Picture("-style.jpg");
  auto result = Run({"-reverse.jpg", "-style.jpg"}, Path("in"));
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Exists(Path("out/S_-reverse.jpg")));
  EXPECT_TRUE(Exists(Path("out/S_-style.jpg")));
  EXPECT_FALSE(Exists(Path("bin/kobanto.ini")));
}

TEST_F(ConversionRunTest, TheRealCompanionOpensTheMailComposerWithTheAttachments) {
  WriteSettings(true);
  test::CopyFile(KOBANTO_COMPANION, Path("bin/SendTo.exe"));
  WriteScript(Path("tools/xdg-email"),
              "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + Path("mail") +
                  "\"\ntouch \"" + Path("mail") + ".done\"\n");
  const std::string a = Picture("a b.jpg");
  auto result = Run({a});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(WaitForFile(Path("mail")), "--attach\n" + Path("out/S_a b.jpg") + "\n");
}

}  // namespace
}  // namespace kobanto
