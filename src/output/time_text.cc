// The 16-byte time text of a file, from the DOS date and time pair or from the calendar.
#include "output/time_text.h"

#include <cstdint>

#include "common/calendar.h"
#include "common/number_text.h"
#include "platform/platform.h"

namespace {

// The fields of the text; each is below 100 (the year below 10,000), so the widths hold.
struct TimeFields {
  unsigned Year;
  unsigned Month;
  unsigned Day;
  unsigned Hour;
  unsigned Minute;
};

constexpr unsigned kLastFourDigitYear = 9999;

TimeFields FieldsFromDos(uint16_t dos_date, uint16_t dos_time) {
  return TimeFields{1980u + (dos_date >> 9), (dos_date >> 5) & 15u, dos_date & 31u,
                    static_cast<unsigned>(dos_time >> 11), (dos_time >> 5) & 63u};
}

// Outside the DOS range (before 1980 or after 2107) the same pattern comes from the calendar;
// a year that four digits cannot hold shows as the last minute of 9999.
TimeFields FieldsFromCalendar(FileTime local) {
  CalendarTime time = CalendarTimeFromFileTime(local);
  if (time.Year > kLastFourDigitYear) return TimeFields{kLastFourDigitYear, 12, 31, 23, 59};
  return TimeFields{static_cast<unsigned>(time.Year), time.Month, time.Day, time.Hour, time.Minute};
}

}  // namespace

TimeSeparators ReadTimeSeparators(Platform& platform) {
  std::string date;
  std::string time;
  platform.GetDateTimeSeparators(date, time);
  TimeSeparators separators;
  if (date.size() == 1) separators.Date = date[0];
  if (time.size() == 1) separators.Time = time[0];
  return separators;
}

void AppendTimeText(Platform& platform, FileTime local, TimeSeparators separators,
                    std::string& out) {
  uint16_t dos_date = 0;
  uint16_t dos_time = 0;
  TimeFields fields = platform.FileTimeToDosDateTime(local, dos_date, dos_time) == 0
                          ? FieldsFromDos(dos_date, dos_time)
                          : FieldsFromCalendar(local);
  char text[kTimeTextLength];
  PutTwoDigits(text, fields.Year / 100);
  PutTwoDigits(text + 2, fields.Year % 100);
  text[4] = separators.Date;
  PutTwoDigits(text + 5, fields.Month);
  text[7] = separators.Date;
  PutTwoDigits(text + 8, fields.Day);
  text[10] = ' ';
  PutTwoDigits(text + 11, fields.Hour);
  text[13] = separators.Time;
  PutTwoDigits(text + 14, fields.Minute);
  out.append(text, kTimeTextLength);
}
