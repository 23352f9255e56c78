// File times from POSIX time stamps.
#include "platform/posix/file_time.h"

#include <ctime>

namespace {

constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kNanosecondsPerTick = 100;

}  // namespace

int64_t CurrentUtcOffsetSeconds() {
  tzset();  // localtime_r need not read TZ by itself
  const time_t now = time(nullptr);
  struct tm local {};
  if (localtime_r(&now, &local) == nullptr) return 0;
  return local.tm_gmtoff;
}

FileTime LocalFileTimeFromPosix(int64_t seconds, int64_t nanoseconds, int64_t utc_offset_seconds) {
  // 128 bits hold every product and sum of 64-bit inputs, so the range is checked once at the end.
  const __int128 ticks =
      (static_cast<__int128>(seconds) + kSecondsFrom1601To1970 + utc_offset_seconds) *
          kTicksPerSecond +
      nanoseconds / kNanosecondsPerTick;
  if (ticks < 0) return MakeFileTime(0);
  if (ticks > static_cast<__int128>(UINT64_MAX)) return MakeFileTime(UINT64_MAX);
  return MakeFileTime(static_cast<uint64_t>(ticks));
}
