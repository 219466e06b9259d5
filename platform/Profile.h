#pragma once

// Phase timings for the benchmark. A build configured with -DKOBANTO_PROFILE=ON records how long
// each phase of a conversion takes and prints the totals on standard error as the process ends;
// in every other build the macros below compile to nothing.
// - KOBANTO_PROFILE_MARK("name") records the moment, on the monotonic clock other processes see.
// - KOBANTO_PROFILE_PHASE("name") adds the time until the end of the enclosing scope to a phase.

#ifdef KOBANTO_PROFILE

#include <cstdint>

namespace kobanto::profile {

std::int64_t NowNanoseconds();
void Mark(const char* name);
void AddToPhase(const char* name, std::int64_t nanoseconds);

class ScopedPhase {
 public:
  explicit ScopedPhase(const char* name) : name_(name), start_(NowNanoseconds()) {}
  ~ScopedPhase() { AddToPhase(name_, NowNanoseconds() - start_); }
  ScopedPhase(const ScopedPhase&) = delete;
  ScopedPhase& operator=(const ScopedPhase&) = delete;

 private:
  const char* name_;
  std::int64_t start_;
};

}  // namespace kobanto::profile

#define KOBANTO_PROFILE_CONCAT2(a, b) a##b
#define KOBANTO_PROFILE_CONCAT(a, b) KOBANTO_PROFILE_CONCAT2(a, b)
#define KOBANTO_PROFILE_MARK(name) ::kobanto::profile::Mark(name)
#define KOBANTO_PROFILE_PHASE(name) \
  const ::kobanto::profile::ScopedPhase KOBANTO_PROFILE_CONCAT(kobantoPhase, __LINE__)(name)

#else

#define KOBANTO_PROFILE_MARK(name) static_cast<void>(0)
#define KOBANTO_PROFILE_PHASE(name) static_cast<void>(0)

#endif
