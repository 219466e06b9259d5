#include "tests/support/Unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace kobanto::test {
namespace {

int StatusOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 255;
}

void DropPrivileges() {
  if (::geteuid() != 0) return;
  if (::setgroups(0, nullptr) != 0 ||
      ::setresgid(kUnprivilegedId, kUnprivilegedId, kUnprivilegedId) != 0 ||
      ::setresuid(kUnprivilegedId, kUnprivilegedId, kUnprivilegedId) != 0) {
    ::_exit(254);
  }
}

}  // namespace

bool RunningAsRoot() { return ::geteuid() == 0; }

int RunUnprivileged(const std::function<int()>& body) {
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid < 0) return 255;
  if (pid == 0) {
    DropPrivileges();
    int rc = 255;
    try {
      rc = body();
    } catch (...) {
      rc = 253;
    }
    std::fflush(nullptr);
    ::_exit(rc);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  return StatusOf(status);
}

int RunProgramUnprivileged(const std::vector<std::string>& argv, std::string* stderrText) {
  int pipeFds[2] = {-1, -1};
  if (stderrText && ::pipe(pipeFds) != 0) return 255;
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid < 0) return 255;
  if (pid == 0) {
    if (stderrText) {
      ::dup2(pipeFds[1], 2);
      ::close(pipeFds[0]);
      ::close(pipeFds[1]);
    }
    DropPrivileges();
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  if (stderrText) {
    ::close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) stderrText->append(buffer, n);
    ::close(pipeFds[0]);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  return StatusOf(status);
}

}  // namespace kobanto::test
