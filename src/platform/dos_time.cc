// The DOS date and time pair of a file time, for platforms without a system call for it.
#include "common/calendar.h"
#include "platform/platform.h"

namespace {
constexpr int64_t kFirstDosYear = 1980;
constexpr int64_t kLastDosYear = 2107;  // the 7-bit year field counts from 1980
}  // namespace

int DosDateTimeFromFileTime(FileTime local, uint16_t& dos_date, uint16_t& dos_time) {
  CalendarTime time = CalendarTimeFromFileTime(local);
  if (time.Year < kFirstDosYear || time.Year > kLastDosYear) return -1;
  dos_date =
      static_cast<uint16_t>(((time.Year - kFirstDosYear) << 9) | (time.Month << 5) | time.Day);
  // Two-second steps: an odd second is dropped.
  dos_time = static_cast<uint16_t>((time.Hour << 11) | (time.Minute << 5) | (time.Second / 2));
  return 0;
}
