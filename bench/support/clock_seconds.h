// A clock's reading in seconds, for the benchmarks that set CPU time
// (process or thread) against wall time.
#pragma once
#include <time.h>

namespace bench {

inline double clockSeconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

}  // namespace bench
