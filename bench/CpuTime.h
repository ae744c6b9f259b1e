// CPU seconds the whole process has used (user and system, all threads), for the benchmarks'
// per-frame CPU figures.
#pragma once
#include <sys/resource.h>

inline double processCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
