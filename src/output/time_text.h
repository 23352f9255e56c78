// The 16-byte "yyyy/mm/dd hh:mm" text of a file's last-write time.
#pragma once

#include <cstddef>
#include <string>

#include "common/tree_item.h"

class Platform;

constexpr size_t kTimeTextLength = 16;

// The one-byte date and time separators of the user's settings, read once per run.
struct TimeSeparators {
  char Date = '/';
  char Time = ':';
};

// Reads the separators from the platform; one that is not exactly one byte is replaced by
// "/" or ":", so that every time text keeps its 16 bytes.
TimeSeparators ReadTimeSeparators(Platform& platform);

// Appends the time text of the local file time `local`: the DOS date and time pair where the
// platform gives one, else the calendar reading of the time itself; years past 9999 read
// "9999/12/31 23:59". Always exactly 16 bytes.
void AppendTimeText(Platform& platform, FileTime local, TimeSeparators separators,
                    std::string& out);
