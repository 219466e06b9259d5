// A settings write that is cut short (a file-size limit, a kill at a random moment) leaves the
// previous file whole and readable; a conversion that runs while the settings are saved reads,
// for each key, the old or the new value, never a torn file.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "platform/Cp932.h"
#include "platform/Errors.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"
#include "tests/hostile/SettingsWriterProtocol.h"
#include "tests/support/ProgramFixture.h"

extern char** environ;

namespace kobanto::hostile {

using namespace test;
namespace {

using settings::SettingsValues;

std::string Flag(bool value) { return value ? "1" : "0"; }

// A settings file as Windows would have written it with these values, with comments, unknown keys
// and sections around them, and padding lines to give it some size.
std::string SettingsFile(const SettingsValues& v) {
  std::string padding;
  for (int i = 0; i < 100; ++i) padding += "; 余白 padding line " + std::to_string(i) + "\r\n";
  return Utf8ToCp932(
             "; Kobanto\r\n[前の節]\r\nkey=value\r\n[縮小後画像]\r\n％指定=" + Flag(v.percentMode) +
             "\r\nPixel指定=" + Flag(v.pixelMode) + "\r\n; 注釈\r\n％指定値=" +
             std::to_string(v.percentValue) + "\r\n幅=" + std::to_string(v.width) +
             "\r\n未知のキー=残る\r\n高さ=" + std::to_string(v.height) +
             "\r\n圧縮率=" + std::to_string(v.quality) + "\r\n保存先フォルダ=" + v.saveFolder +
             "\r\n[設定]\r\nメールに添付=" + Flag(v.attachMail) + "\r\nその他=1\r\n" + padding +
             "[後の節]\r\nx=y\r\n")
      .value();
}

std::vector<std::string> CrlfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back(text.substr(pos) + "<no line end>");
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

// Empty when text is a whole settings file in which each key holds its value of a or of b and
// every other line is as it was; else what is wrong with it.
std::string WholeFileProblem(const std::string& text, const SettingsValues& a,
                             const SettingsValues& b) {
  const auto got = CrlfLines(text), linesA = CrlfLines(SettingsFile(a)),
             linesB = CrlfLines(SettingsFile(b));
  if (got.size() != linesA.size()) {
    return "the file has " + std::to_string(got.size()) + " lines instead of " +
           std::to_string(linesA.size());
  }
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (got[i] != linesA[i] && got[i] != linesB[i]) {
      return "line " + std::to_string(i + 1) + " is torn: " + got[i];
    }
  }
  return {};
}

// The same through the readers of the program.
std::string ReadProblem(const std::string& exeFolder, const SettingsValues& a,
                        const SettingsValues& b) {
  using namespace settings;
  const TIniFile ini(SettingsPath(exeFolder, kReadName));
  auto either = [](auto got, auto x, auto y) { return got == x || got == y; };
  const std::string folder = ini.ReadString(kImageSection, kSaveFolderKey, "missing");
  if (!either(ini.ReadBool(kImageSection, kPercentModeKey, false), a.percentMode, b.percentMode) ||
      !either(ini.ReadInteger(kImageSection, kPercentValueKey, -1), a.percentValue,
              b.percentValue) ||
      !either(ini.ReadInteger(kImageSection, kWidthKey, -1), a.width, b.width) ||
      !either(ini.ReadInteger(kImageSection, kHeightKey, -1), a.height, b.height) ||
      !either(ini.ReadInteger(kImageSection, kQualityKey, -1), a.quality, b.quality) ||
      !either(folder, a.saveFolder, b.saveFolder)) {
    return "a reader saw a value that was never written (save folder " + folder + ")";
  }
  return {};
}

// The writer helper, started in the background.
class Writer {
 public:
  Writer(const std::string& exeFolder, const std::string& folderA, const std::string& folderB) {
    std::vector<std::string> args{KOBANTO_SETTINGS_WRITER, exeFolder, "0", folderA, folderB};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
  }
  ~Writer() { Kill(); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  bool Started() const { return pid_ > 0; }
  // Kills it with SIGKILL; returns its status (128 + the signal when the kill ended it).
  int Kill() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
  }

 private:
  pid_t pid_ = -1;
};

class SettingsWriteTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ::mkdir(Path("out/A").c_str(), 0755);
    ::mkdir(Path("out/B").c_str(), 0755);
    a_ = WriterValues(0, Path("out/A"), Path("out/B"));
    b_ = WriterValues(1, Path("out/A"), Path("out/B"));
    WriteSettingsBytes(SettingsFile(a_));
  }

  std::string SettingsNow() const { return test::ReadText(Path("bin/kobanto.ini")); }

  // Temporary files a killed writer left beside the settings file.
  std::size_t LeftOvers() const { return NamesIn(Path("bin")).size() - 2; }

  test::ProcessResult RunWriter(long rounds, const Limits& limits, bool ignoreFileSizeSignal) {
    const std::string limit =
        limits.fileBlocks > 0 ? "ulimit -f " + std::to_string(limits.fileBlocks) + "; " : "";
    std::vector<std::string> argv{"/bin/sh",
                                  "-c",
                                  limit + "exec \"$@\"",
                                  "sh",
                                  KOBANTO_SETTINGS_WRITER,
                                  Folder() + "bin/",
                                  std::to_string(rounds),
                                  a_.saveFolder,
                                  b_.saveFolder};
    if (ignoreFileSizeSignal) argv.push_back("ignore-xfsz");
    test::ProcessOptions options;
    options.unprivileged = limits.unprivileged;
    return test::RunProcess(argv, options);
  }

  SettingsValues a_, b_;
};

// The new file cannot be written in full: with the signal ignored that is the write error, and
// without it the signal ends the writer in the middle of its write. Either way the old file stays.
TEST_F(SettingsWriteTest, AFileSizeLimitLeavesThePreviousFile) {
  WriteSettingsBytes(SettingsFile(b_));  // the writer's first values differ from these
  const std::string before = SettingsNow();
  ASSERT_GT(before.size(), 2048u);
  Limits limits;
  limits.fileBlocks = 2;  // 1024 bytes

  auto reported = RunWriter(1, limits, true);
  EXPECT_EQ(reported.status, 1);
  EXPECT_EQ(reported.err, FormatMessage(msg::kIniWrite, Path("bin/kobanto.ini")) + "\n");
  EXPECT_EQ(SettingsNow(), before);
  EXPECT_EQ(LeftOvers(), 0u) << "the failed write removes its temporary file";

  auto killed = RunWriter(1, limits, false);
  EXPECT_EQ(killed.status, 128 + SIGXFSZ);
  EXPECT_EQ(SettingsNow(), before);
  EXPECT_EQ(ReadProblem(Folder() + "bin/", b_, b_), "");
}

// A folder that refuses new files has the settings file rewritten in place; a limit that the new
// text does not fit in must still leave the old text whole, not cut after its first kilobyte.
TEST_F(SettingsWriteTest, AFileSizeLimitLeavesThePreviousFileAlsoWhenRewrittenInPlace) {
  // The first key is stored in a longer form, so that its write moves every byte after it.
  std::string text = SettingsFile(b_);
  const std::string first = Utf8ToCp932("％指定=1\r\n").value();
  text.replace(text.find(first), first.size(), Utf8ToCp932("％指定=00001\r\n").value());
  WriteSettingsBytes(text);
  ASSERT_EQ(::chmod(Path("bin/kobanto.ini").c_str(), 0666), 0);
  ASSERT_EQ(::chmod(Path("bin").c_str(), 0555), 0);  // no new files for the writer
  const std::string before = SettingsNow();
  Limits limits;
  limits.fileBlocks = 2;
  limits.unprivileged = true;
  auto reported = RunWriter(1, limits, true);
  EXPECT_EQ(reported.status, 1);
  EXPECT_EQ(reported.err, FormatMessage(msg::kIniWrite, Path("bin/kobanto.ini")) + "\n");
  EXPECT_EQ(SettingsNow(), before);

  // Without the limit the same folder takes the write.
  limits.fileBlocks = 0;
  EXPECT_EQ(RunWriter(1, limits, true).status, 0);
  EXPECT_EQ(SettingsNow(), SettingsFile(a_));
}

TEST_F(SettingsWriteTest, AWriterKilledAtRandomMomentsLeavesAWholeFile) {
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int> delayMicroseconds(0, 40000);
  for (int kill = 0; kill < 25; ++kill) {
    Writer writer(Folder() + "bin/", a_.saveFolder, b_.saveFolder);
    ASSERT_TRUE(writer.Started());
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
    EXPECT_EQ(writer.Kill(), 128 + SIGKILL);
    ASSERT_EQ(WholeFileProblem(SettingsNow(), a_, b_), "") << "after kill " << kill;
    ASSERT_EQ(ReadProblem(Folder() + "bin/", a_, b_), "") << "after kill " << kill;
  }
  // What a kill leaves is at most one hidden temporary file each, which no lookup takes for the
  // settings file; the next full write works as usual.
  EXPECT_LE(LeftOvers(), 25u);
  for (const std::string& name : NamesIn(Path("bin"))) {
    if (name != "kobanto" && name != "kobanto.ini") {
      EXPECT_EQ(name.rfind(".kobanto.ini.", 0), 0u) << name;
    }
  }
  settings::FullWrite(Folder() + "bin/", b_);
  EXPECT_EQ(SettingsNow(), SettingsFile(b_));
}

TEST_F(SettingsWriteTest, AConversionDuringASaveReadsWholeValues) {
  checkSettingsUntouched_ = false;  // the writer changes it on purpose
  std::vector<std::string> pictures;
  for (auto name : {"in/a.jpg", "in/b.jpg", "in/c.jpg"})
    pictures.push_back(Picture(name, 100, 100));

  Writer writer(Folder() + "bin/", a_.saveFolder, b_.saveFolder);
  ASSERT_TRUE(writer.Started());
  std::atomic<bool> stop = false;
  std::atomic<int> readsOfA = 0, readsOfB = 0;
  std::string readerProblem;
  std::thread reader([&] {
    const settings::TIniFile ini(settings::SettingsPath(Folder() + "bin/", settings::kReadName));
    while (!stop && readerProblem.empty()) {
      readerProblem = WholeFileProblem(SettingsNow(), a_, b_);
      if (readerProblem.empty()) readerProblem = ReadProblem(Folder() + "bin/", a_, b_);
      const int percent = ini.ReadInteger(settings::kImageSection, settings::kPercentValueKey, 0);
      ++(percent == a_.percentValue ? readsOfA : readsOfB);
    }
  });

  for (int run = 0; run < 6; ++run) {
    auto result = Run(pictures);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    for (auto folder : {"out/A/", "out/B/"}) {
      for (const std::string& name : NamesIn(Path(folder))) {
        auto out = test::DecodeJpeg(test::ReadBytes(Path(folder + name)));
        EXPECT_TRUE(out.width == 20 || out.width == 40) << out.width;
        EXPECT_TRUE(out.height == 20 || out.height == 40) << out.height;
        ::unlink(Path(folder + name).c_str());
      }
    }
  }
  stop = true;
  reader.join();
  EXPECT_EQ(writer.Kill(), 128 + SIGKILL);
  EXPECT_EQ(readerProblem, "");
  EXPECT_GT(readsOfA.load(), 0) << "the reader never saw the first values";
  EXPECT_GT(readsOfB.load(), 0) << "the reader never saw the second values";
  EXPECT_EQ(OutputsIn(Path("tmp")), std::set<std::string>{})
      << "a torn read took the default folder";
  EXPECT_EQ(WholeFileProblem(SettingsNow(), a_, b_), "");
}

}  // namespace
}  // namespace kobanto::hostile
