#include "kobanto/Startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "Unit1/Tsetting.h"
#include "Unit2/Thenkan.h"
#include "platform/Errors.h"
#include "tests/support/TempDir.h"
#include "tests/ui/FakeHost.h"

namespace kobanto {
namespace {

using test::Arguments;

// Runs the message loop with a watchdog, doing `during` once the loop runs.
int RunLoop(Startup& startup, std::function<void()> during = {}) {
  QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
  if (during) QTimer::singleShot(0, during);
  return startup.Run();
}

class StartupTest : public test::TempDirTest {
 protected:
  void TearDown() override { QCoreApplication::removePostedEvents(nullptr); }

  Startup Make(const CommandLine& commandLine, std::function<bool()> batch, bool display = true) {
    return Startup(StartupContext{commandLine, Folder(), DisplayInfo{display, {}}, launcher,
                                  chooser, display ? &report : nullptr, std::move(batch)});
  }

  test::RecordingReport report;
  test::RecordingLauncher launcher;
  test::AnsweringChooser chooser;
};

TEST_F(StartupTest, CreatesTheSettingsWindowFirstAsTheMainWindowThenRunsTheBatch) {
  const CommandLine args = Arguments({"a.jpg"});
  bool ran = false;
  Startup* self = nullptr;
  auto startup = Make(args, [&] {
    ran = true;
    // Both references are set by the time the completion window's creation handler runs.
    EXPECT_NE(self->Windows().setting, nullptr);
    EXPECT_NE(self->Windows().henkan, nullptr);
    EXPECT_EQ(self->App().MainForm(), self->Windows().setting);
    return true;
  });
  self = &startup;
  startup.CreateWindows();
  EXPECT_TRUE(ran);
  EXPECT_EQ(startup.App().Title(), "Kobanto");
  EXPECT_EQ(startup.Windows().setting->windowTitle(), "設定 -Kobanto Ver1.0-");
  EXPECT_EQ(startup.Windows().henkan->windowTitle(), "変換終了");
}

TEST_F(StartupTest, SettingsModeShowsOnlyTheSettingsWindowAndEndsWhenItCloses) {
  const CommandLine args = Arguments({});
  int batchRuns = 0;
  auto startup = Make(args, [&] { return ++batchRuns, false; });
  startup.CreateWindows();
  bool settingShown = false, henkanShown = true;
  int status = RunLoop(startup, [&] {
    settingShown = startup.Windows().setting->isVisible();
    henkanShown = startup.Windows().henkan->isVisible();
    startup.Windows().setting->close();  // the close box
  });
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(settingShown);
  EXPECT_FALSE(henkanShown);
  EXPECT_TRUE(report.messages.empty());
}

TEST_F(StartupTest, AConversionThatCompletesEndsAsSoonAsTheLoopStarts) {
  const CommandLine args = Arguments({"a.jpg", "b.JPG"});
  auto startup = Make(args, [] { return true; });
  startup.CreateWindows();
  EXPECT_FALSE(startup.App().ShowMainForm());
  EXPECT_FALSE(startup.Windows().setting->isVisible());
  bool loopRanSomething = false;
  int status = RunLoop(startup, [&] { loopRanSomething = true; });
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(startup.Windows().setting->isVisible());
  EXPECT_TRUE(report.messages.empty());
  (void)loopRanSomething;
}

TEST_F(StartupTest, AFailedConversionIsReportedOnceAndTheCompletionWindowStaysUntilClosed) {
  const CommandLine args = Arguments({"a.jpg", "missing.jpg", "c.jpg"});
  int processed = 0;
  auto startup = Make(args, [&]() -> bool {
    for (int i = 1; i <= args.ParamCount(); ++i) {
      if (i == 2) throw EFOpenError(FormatMessage(msg::kFileOpen, args.ParamStr(i)));
      ++processed;
    }
    return true;
  });
  startup.CreateWindows();
  ASSERT_EQ(report.messages.size(), 1u);
  EXPECT_EQ(report.messages[0], "ファイル missing.jpg は開けません");
  EXPECT_EQ(processed, 1);
  EXPECT_TRUE(startup.Windows().henkan->isVisible());

  bool stillOpen = false, settingHidden = false;
  int status = RunLoop(startup, [&] {
    // The loop keeps running with the completion window until the user closes it.
    QTimer::singleShot(50, [&] {
      stillOpen = startup.Windows().henkan->isVisible();
      settingHidden = !startup.Windows().setting->isVisible();
      startup.Windows().henkan->close();
    });
  });
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(settingHidden);
  EXPECT_EQ(report.messages.size(), 1u);
}

TEST_F(StartupTest, ClosingAWindowThatIsNotTheMainWindowOnlyHidesIt) {
  const CommandLine args = Arguments({});
  auto startup = Make(args, [] { return false; });
  startup.CreateWindows();
  // A window other than the main one: hiding it is all that closing does.
  auto& henkan = static_cast<TForm&>(*startup.Windows().henkan);
  henkan.show();
  startup.App().SetShowMainForm(false);
  int status = RunLoop(startup, [&] {
    startup.Windows().setting->show();
    // The completion window's close handler closes the settings window, which ends the loop.
    henkan.Close();
  });
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(henkan.isVisible());
}

TEST_F(StartupTest, TheReportGuardsEveryKindOfError) {
  struct Case {
    std::function<void()> fail;
    std::string shown;
  } cases[] = {
      {[] { throw EJPEG("JPEG エラー #52"); }, "JPEG エラー #52"},
      {[] { throw std::bad_alloc(); }, "メモリが足りません"},
      {[] { throw std::runtime_error("plain"); }, "plain"},
  };
  for (const auto& c : cases) {
    test::RecordingReport record;
    Application app(record);
    bool after = false;
    app.Guard([&] {
      c.fail();
      after = true;
    });
    EXPECT_FALSE(after);
    ASSERT_EQ(record.messages.size(), 1u);
    EXPECT_EQ(record.messages[0], c.shown);
  }
}

// Captures what is written to standard error while it lives.
class StderrCapture {
 public:
  StderrCapture() : file_(std::tmpfile()) {
    std::fflush(stderr);
    saved_ = ::dup(2);
    ::dup2(::fileno(file_), 2);
  }
  std::string Text() {
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
    std::rewind(file_);
    std::string text;
    char buffer[512];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, n);
    std::fclose(file_);
    return text;
  }

 private:
  std::FILE* file_;
  int saved_;
};

TEST_F(StartupTest, WithoutADisplayTheReportGoesToStandardErrorAndTheRunEndsWithStatusOne) {
  const CommandLine args = Arguments({"a.jpg", "b.jpg"});
  auto startup = Make(
      args, []() -> bool { throw EFCreateError(FormatMessage(msg::kFileCreate, "/out/S_b.jpg")); },
      /*display=*/false);
  StderrCapture capture;
  startup.CreateWindows();
  int status = RunLoop(startup);
  EXPECT_EQ(capture.Text(), "ファイル /out/S_b.jpg を作成できません.\n");
  EXPECT_EQ(status, 1);
}

TEST_F(StartupTest, WithoutADisplayARunWithoutErrorEndsWithStatusZero) {
  const CommandLine args = Arguments({"a.jpg"});
  auto startup = Make(
      args, [] { return true; }, /*display=*/false);
  StderrCapture capture;
  startup.CreateWindows();
  int status = RunLoop(startup);
  EXPECT_EQ(capture.Text(), "");
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace kobanto
