// The DOS date and time pair of a file time, by the proleptic Gregorian calendar.
#include "platform/platform.h"

namespace {

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsPerDay = 86400;

struct CivilDate {
  int64_t year;
  unsigned month;
  unsigned day;
};

// Days since 1601-01-01 to a calendar date (the 400-year cycle starting at 1601).
CivilDate DateFromDays(int64_t days) {
  // Shift to days since 0000-03-01 so that the leap day ends each year.
  int64_t z = days + 584694;  // 1601-01-01 is day 584694 after 0000-03-01
  int64_t era = z / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  unsigned day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
  unsigned month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
  int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return CivilDate{year, month, day};
}

}  // namespace

int DosDateTimeFromFileTime(FileTime local, uint16_t& dos_date, uint16_t& dos_time) {
  uint64_t seconds = FileTimeValue(local) / kTicksPerSecond;
  int64_t days = static_cast<int64_t>(seconds / kSecondsPerDay);
  unsigned second_of_day = static_cast<unsigned>(seconds % kSecondsPerDay);
  CivilDate date = DateFromDays(days);
  if (date.year < 1980 || date.year > 2107) return -1;
  dos_date = static_cast<uint16_t>(((date.year - 1980) << 9) | (date.month << 5) | date.day);
  unsigned hour = second_of_day / 3600;
  unsigned minute = second_of_day / 60 % 60;
  unsigned half_seconds = second_of_day % 60 / 2;
  dos_time = static_cast<uint16_t>((hour << 11) | (minute << 5) | half_seconds);
  return 0;
}
