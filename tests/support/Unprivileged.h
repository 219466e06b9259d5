#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kobanto::test {

// The user and group that permission cases run as (nobody/nogroup).
inline constexpr int kUnprivilegedId = 65534;

// Runs body in a forked child as the unprivileged user (when the tests run as root, as CI does;
// otherwise as the current user, who already lacks root's rights) and returns its exit status
// (128 + the signal when it died of one). Write nothing to gtest from the body: report through
// the status.
int RunUnprivileged(const std::function<int()>& body);

// Runs a program with arguments (no shell) as the unprivileged user, via setpriv when root.
// Returns its exit status; its standard error is captured into *stderrText when given.
int RunProgramUnprivileged(const std::vector<std::string>& argv, std::string* stderrText = nullptr);

bool RunningAsRoot();

}  // namespace kobanto::test
