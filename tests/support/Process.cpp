#include "tests/support/Process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "tests/support/Unprivileged.h"

namespace kobanto::test {
namespace {

void ChildSetup(const ProcessOptions& options, int outFd, int errFd) {
  int devNull = ::open("/dev/null", O_RDONLY);
  ::dup2(devNull, 0);
  ::dup2(outFd, 1);
  ::dup2(errFd, 2);
  for (const auto& [name, value] : options.env) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  if (!options.workingFolder.empty() && ::chdir(options.workingFolder.c_str()) != 0) ::_exit(126);
  if (options.unprivileged && ::geteuid() == 0) {
    if (::setgroups(0, nullptr) != 0 ||
        ::setresgid(kUnprivilegedId, kUnprivilegedId, kUnprivilegedId) != 0 ||
        ::setresuid(kUnprivilegedId, kUnprivilegedId, kUnprivilegedId) != 0) {
      ::_exit(125);
    }
  }
}

void Drain(int fd, std::string& into, bool& open) {
  char buffer[4096];
  ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n > 0) {
    into.append(buffer, static_cast<std::size_t>(n));
  } else if (n == 0 || errno != EINTR) {
    open = false;
  }
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  int outPipe[2], errPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ChildSetup(options, outPipe[1], errPipe[1]);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  ProcessResult result;
  bool outOpen = true, errOpen = true;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
  while (outOpen || errOpen) {
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    deadline - std::chrono::steady_clock::now())
                                    .count());
    if (left <= 0) {
      ::kill(pid, SIGKILL);
      break;
    }
    if (::poll(fds, 2, left) < 0 && errno != EINTR) break;
    if (outOpen && (fds[0].revents & (POLLIN | POLLHUP))) Drain(outPipe[0], result.out, outOpen);
    if (errOpen && (fds[1].revents & (POLLIN | POLLHUP))) Drain(errPipe[0], result.err, errOpen);
  }
  ::close(outPipe[0]);
  ::close(errPipe[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

void CopyFile(const std::string& from, const std::string& to) {
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

}  // namespace kobanto::test
