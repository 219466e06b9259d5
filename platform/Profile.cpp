#include "platform/Profile.h"

#ifdef KOBANTO_PROFILE

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kobanto::profile {
namespace {

// Fixed tables, so that recording allocates nothing and costs next to nothing.
constexpr int kMaxEntries = 64;

struct Entry {
  const char* name = nullptr;
  std::int64_t nanoseconds = 0;
  int count = 0;
};

Entry marks[kMaxEntries];
int markCount = 0;
Entry phases[kMaxEntries];
int phaseCount = 0;
bool reportRegistered = false;

// One line per mark ("mark NAME NANOSECONDS", the monotonic clock) and per phase ("phase NAME
// COUNT NANOSECONDS"), printed after main has returned and its objects are destroyed.
void Report() {
  Mark("exit");
  for (int i = 0; i < markCount; ++i) {
    std::fprintf(stderr, "kobanto-profile mark %s %lld\n", marks[i].name,
                 static_cast<long long>(marks[i].nanoseconds));
  }
  for (int i = 0; i < phaseCount; ++i) {
    std::fprintf(stderr, "kobanto-profile phase %s %d %lld\n", phases[i].name, phases[i].count,
                 static_cast<long long>(phases[i].nanoseconds));
  }
}

}  // namespace

std::int64_t NowNanoseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void Mark(const char* name) {
  if (!reportRegistered) {
    reportRegistered = true;
    std::atexit(&Report);
  }
  if (markCount < kMaxEntries) marks[markCount++] = Entry{name, NowNanoseconds(), 1};
}

void AddToPhase(const char* name, std::int64_t nanoseconds) {
  for (int i = 0; i < phaseCount; ++i) {
    if (std::strcmp(phases[i].name, name) == 0) {
      phases[i].nanoseconds += nanoseconds;
      ++phases[i].count;
      return;
    }
  }
  if (phaseCount < kMaxEntries) phases[phaseCount++] = Entry{name, nanoseconds, 1};
}

}  // namespace kobanto::profile

#endif
