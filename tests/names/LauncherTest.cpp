#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "Unit2/MailHandoff.h"
#include "tests/support/TempDir.h"

namespace kobanto {
namespace {

// A stand-in companion that waits for the test's go-ahead (so a launcher that waited for it would
// be caught out, without relying on timings), then records what it was given and where it runs.
constexpr const char* kFakeCompanion = R"(#!/bin/sh
here="${0%/*}"
tries=0
while [ ! -e "$here/go" ]; do
  tries=$((tries + 1))
  if [ "$tries" -gt 400 ]; then : > "$here/gave-up"; break; fi
  sleep 0.05
done
printf '%s' "$1" > "$here/argument"
printf '%s' "$#" > "$here/count"
cut -d' ' -f6 /proc/$$/stat > "$here/session"
readlink /proc/$$/fd/0 > "$here/stdin"
: > "$here/done"
)";

class RealLauncher : public test::TempDirTest {
 protected:
  void InstallCompanion() {
    test::WriteText(Path("SendTo.exe"), kFakeCompanion);
    ::chmod(Path("SendTo.exe").c_str(), 0755);
  }

  bool WaitFor(const std::string& path) {
    for (int i = 0; i < 600; ++i) {
      if (test::Exists(path)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
};

TEST_F(RealLauncher, HandsTheStringToADetachedCompanionWithoutWaiting) {
  InstallCompanion();
  DetachedProcessLauncher launcher;
  MailHandoff({"/out/S_写真 1.jpg", "", "/docs/a,\"b\".doc"}, Folder(), launcher);

  // Launch has returned while the companion still waits: it was not waited for, and the
  // intermediate process was reaped, so this process has no child left, not even a zombie.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  test::WriteText(Path("go"), "");
  ASSERT_TRUE(WaitFor(Path("done")));
  EXPECT_FALSE(test::Exists(Path("gave-up")));

  EXPECT_EQ(test::ReadText(Path("argument")), "\"/out/S_写真 1.jpg\",,\"/docs/a,\"\"b\"\".doc\"");
  EXPECT_EQ(test::ReadText(Path("count")), "1");
  EXPECT_EQ(test::ReadText(Path("stdin")), "/dev/null\n");
  std::string session = test::ReadText(Path("session"));
  EXPECT_FALSE(session.empty());
  EXPECT_NE(std::stol(session), static_cast<long>(::getsid(0)));
}

TEST_F(RealLauncher, AMissingCompanionIsNotReported) {
  DetachedProcessLauncher launcher;
  EXPECT_NO_THROW(launcher.Launch(Path("SendTo.exe"), "a"));
  EXPECT_NO_THROW(launcher.Launch(Path("missing-folder/SendTo.exe"), ""));
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace kobanto
