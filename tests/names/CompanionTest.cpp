#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Unit2/MailHandoff.h"
#include "tests/support/TempDir.h"

namespace kobanto {
namespace {

namespace fs = std::filesystem;

// Records its arguments, each followed by a NUL byte. Only shell built-ins: PATH holds nothing
// but this script's folder.
constexpr const char* kFakeComposer = R"(#!/bin/sh
printf '%s\0' "$@" > "${0%/*}/../composer-args"
)";

struct Outcome {
  int status = -1;
  std::string errors;
};

class Companion : public test::TempDirTest {
 protected:
  Companion() { fs::create_directory(Path("bin")); }

  void InstallComposer() {
    test::WriteText(Path("bin/xdg-email"), kFakeComposer);
    ::chmod(Path("bin/xdg-email").c_str(), 0755);
  }

  // Runs the companion with the given arguments, PATH set to the test's bin folder only, and
  // returns its exit status and standard error.
  Outcome Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> args{KOBANTO_COMPANION};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string pathVar = "PATH=" + Path("bin");
    char* envp[] = {pathVar.data(), nullptr};

    int pipeFds[2];
    EXPECT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    Outcome outcome;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) outcome.errors.append(buffer, n);
    ::close(pipeFds[0]);
    if (rc != 0) return outcome;
    int status = 0;
    ::waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
  }

  std::vector<std::string> ComposerArgs() {
    std::string text = test::ReadText(Path("composer-args"));
    std::vector<std::string> args;
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find('\0', start);
      args.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return args;
  }
};

TEST_F(Companion, AttachesEveryPathThroughXdgEmail) {
  InstallComposer();
  std::string spaced = Path("S_写真 1.jpg"), odd = Path("a,\"b\".jpg"), plain = Path("S_b.jpg");
  std::string text = BuildAttachmentString({spaced, "", odd, plain});
  Outcome outcome = Run({text});
  EXPECT_EQ(outcome.status, 0) << outcome.errors;
  EXPECT_EQ(ComposerArgs(),
            (std::vector<std::string>{"--attach", spaced, "--attach", odd, "--attach", plain}));
}

TEST_F(Companion, WithoutPathsItComplainsAndStartsNothing) {
  InstallComposer();
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"\"\""}, std::vector<std::string>{",,"},
        std::vector<std::string>{}}) {
    Outcome outcome = Run(arguments);
    EXPECT_NE(outcome.status, 0);
    EXPECT_NE(outcome.errors.find("添付するファイルがありません"), std::string::npos)
        << outcome.errors;
  }
  EXPECT_FALSE(test::Exists(Path("composer-args")));
}

TEST_F(Companion, AMissingXdgEmailIsReported) {
  Outcome outcome = Run({Path("a.jpg")});
  EXPECT_EQ(outcome.status, 127);
  EXPECT_NE(outcome.errors.find("xdg-email"), std::string::npos) << outcome.errors;
}

}  // namespace
}  // namespace kobanto
