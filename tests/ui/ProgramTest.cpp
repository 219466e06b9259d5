#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

namespace kobanto {
namespace {

// The real program, copied into a temporary executable folder of its own.
class ProgramTest : public test::TempDirTest {
 protected:
  void SetUp() override { test::CopyFile(KOBANTO_BINARY, Path("kobanto")); }

  test::ProcessResult Run(std::vector<std::string> args,
                          std::map<std::string, std::optional<std::string>> env) {
    args.insert(args.begin(), Path("kobanto"));
    env.emplace("QT_QPA_PLATFORM", std::nullopt);  // let the program choose its own platforms
    env.emplace("WAYLAND_DISPLAY", std::nullopt);
    env.emplace("HOME", dir_.Path());
    test::ProcessOptions options;
    options.env = env;
    return test::RunProcess(args, options);
  }
};

TEST_F(ProgramTest, SettingsModeWithoutADisplayExplainsItselfAndTouchesNoFile) {
  for (std::optional<std::string> display :
       {std::optional<std::string>(), std::optional<std::string>(":97")}) {
    auto result = Run({}, {{"DISPLAY", display}});
    EXPECT_EQ(result.status, 2);
    // Only our own message: Qt's complaints about the unreachable display are kept quiet.
    EXPECT_EQ(result.err, "設定画面を表示するにはディスプレイが必要です\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()),
                            std::filesystem::directory_iterator()),
              1);
  }
}

TEST_F(ProgramTest, EmptyArgumentsCountAsNone) {
  auto result = Run({"", ""}, {{"DISPLAY", std::nullopt}});
  EXPECT_EQ(result.status, 2);
}

}  // namespace
}  // namespace kobanto
