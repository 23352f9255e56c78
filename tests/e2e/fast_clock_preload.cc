// Loaded with LD_PRELOAD into the program under test, this runs the monotonic clock twenty times
// as fast as the real one from its first reading on: the progress line's quiet second then passes
// in 50 ms, and a test of the line needs no long scan. The program itself is unchanged.
#include <dlfcn.h>
#include <time.h>

extern "C" int clock_gettime(clockid_t clock, struct timespec* now) {
  constexpr long long kSpeed = 20;
  constexpr long long kBillion = 1000000000;  // nanoseconds in a second
  using ClockFunction = int (*)(clockid_t, struct timespec*);
  static const auto next = reinterpret_cast<ClockFunction>(dlsym(RTLD_NEXT, "clock_gettime"));
  const int result = next(clock, now);
  if (result != 0 || clock != CLOCK_MONOTONIC) return result;
  const long long real = now->tv_sec * kBillion + now->tv_nsec;
  static const long long start = real;
  const long long fast = start + (real - start) * kSpeed;
  now->tv_sec = fast / kBillion;
  now->tv_nsec = fast % kBillion;
  return 0;
}
