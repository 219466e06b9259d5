#include "platform/ProcessLauncher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/UniqueFd.h"

namespace kobanto {
namespace {

// Everything below runs in a child of a possibly multi-threaded process, so it only makes
// async-signal-safe calls on data prepared before the fork.

void ResetSignals() {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  // An ignored signal (SIGPIPE, SIGXFSZ) would stay ignored across exec.
  for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &defaults, nullptr);
}

void RedirectStdin(int nullFd) {
  if (nullFd == 0) {
    fcntl(0, F_SETFD, 0);  // keep it across exec
  } else if (nullFd > 0) {
    dup2(nullFd, 0);
  }
}

[[noreturn]] void RunProgram(const char* program, char* const* argv, int nullFd) {
  RedirectStdin(nullFd);
  // Descriptors opened without close-on-exec by anyone else in the process stay ours.
  close_range(3, ~0U, 0);
  ResetSignals();
  execv(program, argv);
  _exit(127);
}

[[noreturn]] void RunIntermediate(const char* program, char* const* argv, int nullFd) {
  setsid();
  if (fork() == 0) RunProgram(program, argv, nullFd);
  _exit(0);
}

}  // namespace

void DetachedProcessLauncher::Launch(const std::string& program, const std::string& argument) {
  UniqueFd devNull(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()),
                        nullptr};
  pid_t intermediate = ::fork();
  if (intermediate == 0) RunIntermediate(program.c_str(), argv, devNull.Get());
  if (intermediate < 0) return;
  while (::waitpid(intermediate, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace kobanto
