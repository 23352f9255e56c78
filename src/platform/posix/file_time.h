// POSIX time stamps as the local file times the program holds.
#pragma once

#include <cstdint>

#include "common/tree_item.h"

// The offset of local time from UTC, in seconds, in force now. Taken once per run and applied to
// every time stamp, as FileTimeToLocalFileTime does (not the offset at each file's own date).
int64_t CurrentUtcOffsetSeconds();

// A time stamp (seconds and nanoseconds since 1970-01-01 UTC) as a file time (100 ns units since
// 1601-01-01) moved by `utc_offset_seconds`. Never overflows: anything before 1601 gives 0 and
// anything past the 64-bit range gives the largest value.
FileTime LocalFileTimeFromPosix(int64_t seconds, int64_t nanoseconds, int64_t utc_offset_seconds);
