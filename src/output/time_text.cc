// The 16-byte time text of a file, from the DOS date and time pair or from the calendar.
#include "output/time_text.h"

#include <cstdint>

#include "common/calendar.h"
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

void PutDigits(char* out, unsigned value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
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
  PutDigits(text, fields.Year, 4);
  text[4] = separators.Date;
  PutDigits(text + 5, fields.Month, 2);
  text[7] = separators.Date;
  PutDigits(text + 8, fields.Day, 2);
  text[10] = ' ';
  PutDigits(text + 11, fields.Hour, 2);
  text[13] = separators.Time;
  PutDigits(text + 14, fields.Minute, 2);
  out.append(text, kTimeTextLength);
}
