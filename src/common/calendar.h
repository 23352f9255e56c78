// Calendar date and time of day of a file time, by the proleptic Gregorian calendar.
#pragma once

#include <cstdint>

#include "common/tree_item.h"

struct CalendarTime {
  int64_t Year = 1601;
  unsigned Month = 1;   // 1 to 12
  unsigned Day = 1;     // 1 to 31
  unsigned Hour = 0;    // 0 to 23
  unsigned Minute = 0;  // 0 to 59
  unsigned Second = 0;  // 0 to 59
};

// The calendar reading of `time` (100 ns units since 1601-01-01), in the zone it is held in.
// Every 64-bit value has one: the largest lies in the year 60056.
CalendarTime CalendarTimeFromFileTime(FileTime time);
