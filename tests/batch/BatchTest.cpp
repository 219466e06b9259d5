#include "Unit2/Batch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "Unit2/MailHandoff.h"
#include "platform/Cp932.h"
#include "platform/Errors.h"
#include "tests/support/Fakes.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/Unprivileged.h"

namespace kobanto {
namespace {

using test::Arguments;
using test::Exists;

class BatchTest : public test::TempDirTest {
 public:
  void SetUp() override {
    ::mkdir(Path("in").c_str(), 0755);
    ::mkdir(Path("out").c_str(), 0755);
  }

  // Writes kobanto.ini (UTF-8 lines here, code page 932 on disk) with the save folder and flag.
  void WriteSettings(const std::string& saveFolder, bool attach, const std::string& more = "") {
    WriteRawSettings("[縮小後画像]\r\n保存先フォルダ=" + saveFolder + "\r\n" + more +
                     "[設定]\r\nメールに添付=" + (attach ? "1" : "0") + "\r\n");
  }
  void WriteRawSettings(const std::string& utf8) {
    test::WriteText(Path("kobanto.ini"), Utf8ToCp932(utf8).value());
  }

  std::string Picture(const std::string& name, int width = 40, int height = 30) {
    test::JpegRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    test::WriteJpeg(Path("in/" + name), recipe);
    return Path("in/" + name);
  }

  bool Run(std::vector<std::string> args) {
    return RunBatch(Arguments(std::move(args)),
                    BatchContext{Folder(), DisplayFormat{32}, launcher});
  }

  std::string Out(const std::string& name) { return Path("out/" + name); }

  test::RecordingLauncher launcher;
};

TEST_F(BatchTest, WithoutArgumentsNothingIsOpenedAndTheWindowStays) {
  EXPECT_FALSE(Run({}));
  EXPECT_FALSE(Exists(Path("kobanto.ini")));
  EXPECT_TRUE(launcher.launches.empty());
}

TEST_F(BatchTest, ConvertsPicturesAndHandsEveryArgumentToTheCompanionInOrder) {
  WriteSettings(Path("out"), true);
  const std::string a = Picture("a.jpg"), b = Picture("b.JPG");
  test::WriteText(Path("in/notes.txt"), "notes");
  EXPECT_TRUE(Run({a, b, Path("in/notes.txt")}));
  EXPECT_EQ(test::DecodeJpeg(test::ReadBytes(Out("S_a.jpg"))).width, 12);
  EXPECT_TRUE(Exists(Out("S_b.JPG")));
  ASSERT_EQ(launcher.launches.size(), 1u);
  EXPECT_EQ(launcher.launches[0].program, Folder() + "SendTo.exe");
  EXPECT_EQ(launcher.launches[0].argument,
            Out("S_a.jpg") + "," + Out("S_b.JPG") + "," + Path("in/notes.txt"));
  EXPECT_EQ(test::ReadText(Path("in/notes.txt")), "notes");
}

TEST_F(BatchTest, TheListHoldsOneEntryPerArgument) {
  struct Case {
    const char* what;
    std::function<std::vector<std::string>(BatchTest&)> args;
    std::function<std::vector<std::string>(BatchTest&)> entries;
    std::vector<std::string> outputs;  // files in the save folder afterwards
  } cases[] = {
      {"other extensions pass unconverted",
       [](BatchTest& t) {
         for (auto n : {"p.jpeg", "p.Jpg", "p.JPEG", "p.png", "p.jpe"}) t.Picture(n);
         return std::vector<std::string>{t.Path("in/p.jpeg"), t.Path("in/p.Jpg"),
                                         t.Path("in/p.JPEG"), t.Path("in/p.png"),
                                         t.Path("in/p.jpe")};
       },
       [](BatchTest& t) {
         return std::vector<std::string>{t.Path("in/p.jpeg"), t.Path("in/p.Jpg"),
                                         t.Path("in/p.JPEG"), t.Path("in/p.png"),
                                         t.Path("in/p.jpe")};
       },
       {}},
      {"the same picture twice is converted and listed twice",
       [](BatchTest& t) {
         auto a = t.Picture("a.jpg");
         return std::vector<std::string>{a, a};
       },
       [](BatchTest& t) {
         return std::vector<std::string>{t.Out("S_a.jpg"), t.Out("S_a.jpg")};
       },
       {"S_a.jpg"}},
      {"an earlier output gets a second prefix",
       [](BatchTest& t) { return std::vector<std::string>{t.Picture("S_a.jpg")}; },
       [](BatchTest& t) { return std::vector<std::string>{t.Out("S_S_a.jpg")}; },
       {"S_S_a.jpg"}},
      {"a missing document leaves an empty entry",
       [](BatchTest& t) {
         return std::vector<std::string>{t.Picture("a.jpg"), t.Path("in/missing.txt"),
                                         t.Picture("b.jpg")};
       },
       [](BatchTest& t) {
         return std::vector<std::string>{t.Out("S_a.jpg"), "", t.Out("S_b.jpg")};
       },
       {"S_a.jpg", "S_b.jpg"}},
      {"a picture behind a symbolic link keeps the link's name",
       [](BatchTest& t) {
         EXPECT_EQ(::symlink(t.Picture("a.jpg").c_str(), t.Path("in/link.jpg").c_str()), 0);
         return std::vector<std::string>{t.Path("in/link.jpg")};
       },
       [](BatchTest& t) { return std::vector<std::string>{t.Out("S_link.jpg")}; },
       {"S_link.jpg"}},
      {"a relative argument is made absolute",
       [](BatchTest& t) {
         t.Picture("r.jpg");
         EXPECT_EQ(::chdir(t.Path("in").c_str()), 0);
         return std::vector<std::string>{"r.jpg"};
       },
       [](BatchTest& t) { return std::vector<std::string>{t.Out("S_r.jpg")}; },
       {"S_r.jpg"}},
  };
  const std::string cwd = std::filesystem::current_path().string();
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(Path("out"));
    std::filesystem::remove_all(Path("in"));
    SetUp();
    launcher.launches.clear();
    WriteSettings(Path("out"), true);
    auto args = c.args(*this);
    EXPECT_TRUE(Run(args));
    std::filesystem::current_path(cwd);
    ASSERT_EQ(launcher.launches.size(), 1u);
    EXPECT_EQ(launcher.launches[0].argument, BuildAttachmentString(c.entries(*this)));
    std::vector<std::string> outputs;
    for (const auto& e : std::filesystem::directory_iterator(Path("out")))
      outputs.push_back(e.path().filename().string());
    std::sort(outputs.begin(), outputs.end());
    EXPECT_EQ(outputs, c.outputs);
  }
}

TEST_F(BatchTest, TheSaveFolderIsUsedExactlyAsRead) {
  WriteSettings(Path("out") + "/", true);
  EXPECT_TRUE(Run({Picture("a.jpg")}));
  ASSERT_EQ(launcher.launches.size(), 1u);
  EXPECT_EQ(launcher.launches[0].argument, Path("out") + "//S_a.jpg");
  EXPECT_TRUE(Exists(Out("S_a.jpg")));
}

TEST_F(BatchTest, WithoutTheFlagNothingIsStarted) {
  WriteSettings(Path("out"), false);
  EXPECT_TRUE(Run({Picture("a.jpg")}));
  EXPECT_TRUE(Exists(Out("S_a.jpg")));
  EXPECT_TRUE(launcher.launches.empty());
}

TEST_F(BatchTest, WithoutASettingsFileThePicturesGoToTheTemporaryFolderAndNoFileIsLeft) {
  const char* saved = std::getenv("TMPDIR");
  const std::string savedValue = saved ? saved : "";
  ::setenv("TMPDIR", Path("out").c_str(), 1);
  const bool ran = Run({Picture("a.jpg", 640, 480)});
  saved ? ::setenv("TMPDIR", savedValue.c_str(), 1) : ::unsetenv("TMPDIR");
  EXPECT_TRUE(ran);
  auto out = test::DecodeJpeg(test::ReadBytes(Out("S_a.jpg")));
  EXPECT_EQ(out.width, 192);
  EXPECT_EQ(out.height, 144);
  EXPECT_TRUE(launcher.launches.empty());
  EXPECT_FALSE(Exists(Path("kobanto.ini")));
}

// Runs the batch and returns the message of the error it ends with.
std::string FailureOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST_F(BatchTest, TheFirstErrorEndsTheBatchAndKeepsWhatWasWritten) {
  WriteSettings(Path("out"), true);
  const std::string a = Picture("a.jpg"), c = Picture("c.jpg");
  test::WriteText(Path("in/b.jpg"), "\x89PNG\r\n\x1a\n not a jpeg");
  EXPECT_EQ(FailureOf([&] { Run({a, Path("in/b.jpg"), c}); }), "JPEG エラー #52");
  EXPECT_TRUE(Exists(Out("S_a.jpg")));
  EXPECT_FALSE(Exists(Out("S_b.jpg")));
  EXPECT_FALSE(Exists(Out("S_c.jpg")));
  EXPECT_TRUE(launcher.launches.empty());
}

TEST_F(BatchTest, AMissingPictureFailsToOpenWithAnEmptyName) {
  WriteSettings(Path("out"), true);
  EXPECT_EQ(FailureOf([&] {
              Run({Picture("a.jpg"), Path("in/missing.jpg")});
            }),
            "ファイル  は開けません");
  EXPECT_TRUE(Exists(Out("S_a.jpg")));
  EXPECT_FALSE(Exists(Out("S_")));
  EXPECT_TRUE(launcher.launches.empty());
}

TEST_F(BatchTest, AnUnwritableSaveFolderIsReportedWithTheOutputPath) {
  struct Case {
    std::string folder, output;
  } cases[] = {
      {"", "/S_a.jpg"},  // the root, which an unprivileged user cannot write
      {Path("missing"), Path("missing") + "/S_a.jpg"},
      {Path("in/a.jpg"), Path("in/a.jpg") + "/S_a.jpg"},  // a file, not a folder
  };
  const std::string a = Picture("a.jpg");
  for (const auto& c : cases) {
    WriteSettings(c.folder, true);
    int status = test::RunUnprivileged([&] {
      std::string message = FailureOf([&] { Run({a}); });
      return message == "ファイル " + c.output + " を作成できません" ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << c.folder;
  }
}

TEST_F(BatchTest, ASaveFolderThatIsNotCodePage932StopsBeforeTheFirstPicture) {
  test::WriteText(
      Path("kobanto.ini"),
      std::string("[\x8F\x6B\x8F\xAC\x8C\xE3\x89\xE6\x91\x9C]\r\n") +
          "\x95\xDB\x91\xB6\x90\xE6\x83\x74\x83\x48\x83\x8B\x83\x5F=" + "/tmp/\x81\r\n");
  EXPECT_EQ(FailureOf([&] { Run({Picture("a.jpg")}); }),
            "設定ファイルの保存先フォルダを読めません");
  EXPECT_TRUE(std::filesystem::is_empty(Path("out")));
}

}  // namespace
}  // namespace kobanto
