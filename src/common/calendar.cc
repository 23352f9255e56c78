// Calendar date and time of day of a file time, by the proleptic Gregorian calendar.
#include "common/calendar.h"

namespace {

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kSecondsPerDay = 86400;

// Days since 1601-01-01 to a calendar date. The count is shifted to days since 0000-03-01 so
// that the leap day ends each year and the 400-year cycle of 146,097 days repeats exactly.
void DateFromDays(int64_t days, CalendarTime& out) {
  int64_t z = days + 584694;  // 1601-01-01 is day 584694 after 0000-03-01
  int64_t era = z / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  out.Day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
  out.Month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
  out.Year = yoe + era * 400 + (out.Month <= 2 ? 1 : 0);
}

}  // namespace

CalendarTime CalendarTimeFromFileTime(FileTime time) {
  uint64_t seconds = FileTimeValue(time) / kTicksPerSecond;
  unsigned second_of_day = static_cast<unsigned>(seconds % kSecondsPerDay);
  CalendarTime result;
  DateFromDays(static_cast<int64_t>(seconds / kSecondsPerDay), result);
  result.Hour = second_of_day / 3600;
  result.Minute = second_of_day / 60 % 60;
  result.Second = second_of_day % 60;
  return result;
}
