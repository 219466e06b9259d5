#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/ExeFolder.h"

namespace kobanto {
namespace {

using Args = std::vector<std::string>;

const std::string kHyo = "\x95\x5c";                   // 表
const std::string kSoft = "\x83\x5c\x83\x74\x83\x67";  // ソフト

struct LineCase {
  std::string line;
  Args expected;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.line); }

class WindowsCommandLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(WindowsCommandLine, SplitsLikeTheWindowsReader) {
  EXPECT_EQ(ReadWindowsCommandLine(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsCommandLine,
    ::testing::Values(LineCase{"kobanto.exe", {}}, LineCase{"", {}},
                      LineCase{"kobanto.exe \"\"", {}}, LineCase{"kobanto.exe \"\" \"\"\t\"\"", {}},
                      LineCase{"\"C:\\Program Files\\kobanto.exe\" \"C:\\My Documents\\a.jpg\"",
                               {"C:\\My Documents\\a.jpg"}},
                      LineCase{"kobanto.exe C:\\My Documents\\a.jpg",
                               {"C:\\My", "Documents\\a.jpg"}},
                      LineCase{"kobanto.exe a\"b c\"d", {"ab cd"}},
                      LineCase{"kobanto.exe a\"\"b", {"ab"}},
                      LineCase{"kobanto.exe \"\" a \"\"\"\" b", {"a", "b"}},
                      LineCase{"  kobanto.exe   a\x01"
                               "b\x1f"
                               "c\r\nd  ",
                               {"a", "b", "c", "d"}},
                      LineCase{"kobanto.exe \"open to the end", {"open to the end"}},
                      LineCase{"kobanto.exe -style -reverse", {"-style", "-reverse"}},
                      LineCase{"\"\" kobanto.exe a", {"a"}},
                      // Double-byte characters pass unchanged, even with a trail byte that is "\".
                      LineCase{"kobanto.exe C:\\" + kHyo + "\\a.jpg \"C:\\" + kSoft + "\\b c.jpg\"",
                               {"C:\\" + kHyo + "\\a.jpg", "C:\\" + kSoft + "\\b c.jpg"}},
                      LineCase{std::string("kobanto.exe a\0b", 15), {"a"}}));

TEST(WindowsCommandLineLimit, ALongerArgumentKeepsItsFirst4096Bytes) {
  std::string exact(kMaxArgumentBytes, 'x');
  std::string longer = std::string(kMaxArgumentBytes, 'y') + "zzz";
  Args args = ReadWindowsCommandLine("k.exe " + exact + " \"" + longer + "\" next");
  EXPECT_EQ(args, (Args{exact, std::string(kMaxArgumentBytes, 'y'), "next"}));
}

TEST(CommandLineFromArgv, SkipsEmptyArgumentsAndCopiesTheRest) {
  std::string name = "kobanto", empty, style = "-style", spaced = "a b.jpg";
  char* argv[] = {name.data(), empty.data(), style.data(), spaced.data(), empty.data(), nullptr};
  CommandLine line = CommandLine::FromArgv(5, argv);
  spaced[0] = 'X';  // the arguments were copied
  EXPECT_EQ(line.ParamCount(), 2);
  EXPECT_EQ(line.ParamStr(1), "-style");
  EXPECT_EQ(line.ParamStr(2), "a b.jpg");
  EXPECT_EQ(line.ParamStr(3), "");
  EXPECT_EQ(line.ParamStr(-1), "");
  EXPECT_EQ(line.ParamStr(0), ExecutablePath());
  EXPECT_FALSE(line.ParamStr(0).empty());
}

TEST(CommandLineFromWindows, CountsTheArgumentsAfterTheProgramName) {
  CommandLine line = CommandLine::FromWindows("\"C:\\k\\kobanto.exe\" \"\" a.jpg");
  EXPECT_EQ(line.ParamCount(), 1);
  EXPECT_EQ(line.ParamStr(1), "a.jpg");
  EXPECT_EQ(line.ParamStr(0), ExecutablePath());
  EXPECT_EQ(CommandLine::FromWindows("kobanto.exe \"\" \"\"").ParamCount(), 0);
}

}  // namespace
}  // namespace kobanto
