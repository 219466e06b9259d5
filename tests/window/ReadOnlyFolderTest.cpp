#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLabel>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "Unit1/TrackBar.h"
#include "tests/support/Process.h"
#include "tests/window/WindowFixture.h"

namespace kobanto {
namespace {

// The child's executable folder; set only when this program runs itself as the child.
constexpr char kChildFolder[] = "KOBANTO_READ_ONLY_FOLDER";

// Root writes anywhere, so the permission case runs as the unprivileged user. A fork of a process
// that holds a QApplication is fragile, so the child is this test program started afresh (its
// own QApplication, offscreen) with only the child case selected.
class ReadOnlyFolderTest : public test::WindowTest {};

TEST_F(ReadOnlyFolderTest, ReportsTheWriteErrorBeforeTheWindowOpensAndAgainOnOk) {
  const std::string exe = Path("exe");
  ASSERT_EQ(::mkdir(exe.c_str(), 0555), 0);
  ::chmod(exe.c_str(), 0555);
  ASSERT_EQ(::mkdir(Path("bin").c_str(), 0755), 0);
  test::CopyFile(std::filesystem::read_symlink("/proc/self/exe").string(),
                 Path("bin/window_tests"));

  test::ProcessOptions options;
  options.unprivileged = true;
  options.env = {{kChildFolder, exe + "/"}};  // its main gives it a home of its own
  const auto result =
      test::RunProcess({Path("bin/window_tests"), "--gtest_filter=ReadOnlyFolderChild.*"}, options);
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_NE(result.out.find("[  PASSED  ] 1 test."), std::string::npos) << result.out;
  EXPECT_FALSE(test::Exists(exe + "/kobanto.ini"));
}

TEST(ReadOnlyFolderChild, ReportsTheWriteErrorBeforeTheWindowOpensAndAgainOnOk) {
  const char* folder = std::getenv(kChildFolder);
  if (!folder) GTEST_SKIP() << "runs only as the child of ReadOnlyFolderTest";
  const std::string expected = std::string(folder) + "kobanto.ini に書き込めません";
  test::AnsweringChooser chooser;
  test::SettingsWindow w(folder, chooser);
  EXPECT_EQ(w.report.messages, std::vector<std::string>{expected});
  EXPECT_FALSE(w.Window().isVisible());  // reported before the window opens
  test::ExpectInitialStates(w, std::string(std::getenv("HOME")) + "/Documents");

  w.Show();
  auto& quality = w.Get<TTrackBar>("TrackBarCompress");
  quality.setFocus();
  QTest::keyClick(&quality, Qt::Key_End);
  w.Click("ok");
  EXPECT_EQ(w.report.messages, (std::vector<std::string>{expected, expected}));
  EXPECT_FALSE(test::QuitRequested());
  EXPECT_TRUE(w.Window().isVisible());
  EXPECT_EQ(quality.Position(), 100);
  EXPECT_EQ(w.Get<QLabel>("Label5").text(), "100%");
}

}  // namespace
}  // namespace kobanto
