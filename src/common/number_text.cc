// Decimal texts of counts and sizes, grouped in threes without streams or locales, and sizes in
// units of 1,024.
#include "common/number_text.h"

#include <algorithm>
#include <charconv>

namespace {

// Writes the grouped text of `value` so that it ends just before `end`; returns its first byte.
// Filled from the right, so a "," goes in before every fourth digit, and no byte moves after.
char* WriteGroupedBackwards(uint64_t value, char* end) {
  char* next = end;
  int group = 0;
  do {
    if (group == 3) {
      *--next = ',';
      group = 0;
    }
    *--next = static_cast<char>('0' + value % 10);
    value /= 10;
    ++group;
  } while (value != 0);
  return next;
}

// The longest text of a size in units: "1023K".
constexpr size_t kMaxHumanSizeLength = 5;
constexpr char kUnits[] = "KMGTPE";
constexpr int kUnitBits = 10;  // a unit is 1,024 of the one below

// Writes the text of AppendHumanSize into `text`, which holds kMaxHumanSizeLength bytes;
// returns its length. Exact integer steps: the value is split at the unit into whole units and
// the rest, and any rest at all rounds up.
size_t WriteHumanSize(uint64_t value, char* text) {
  if (value < 1024) return static_cast<size_t>(std::to_chars(text, text + 4, value).ptr - text);
  int unit = 0;  // index into kUnits: the largest unit of which the value holds 1,024 or less
  while (unit + 1 < static_cast<int>(sizeof kUnits - 1) &&
         (value >> (kUnitBits * (unit + 1))) >= 1024) {
    ++unit;
  }
  const int bits = kUnitBits * (unit + 1);
  const uint64_t whole = value >> bits;
  const uint64_t rest = value & ((uint64_t{1} << bits) - 1);
  if (whole < 10) {
    // Tenths, rounded up: rest * 10 stays below 2^64 as the rest is below 2^60.
    const uint64_t tenths_rest = rest * 10;
    uint64_t tenths = whole * 10 + (tenths_rest >> bits);
    if ((tenths_rest & ((uint64_t{1} << bits) - 1)) != 0) ++tenths;
    if (tenths < 100) {
      text[0] = static_cast<char>('0' + tenths / 10);
      text[1] = '.';
      text[2] = static_cast<char>('0' + tenths % 10);
      text[3] = kUnits[unit];
      return 4;
    }
    // 9.95K and up round to 10K: whole units from here.
  }
  uint64_t units = whole + (rest != 0 ? 1 : 0);
  if (units == 1024 && unit + 1 < static_cast<int>(sizeof kUnits - 1)) {
    std::copy_n("1.0", 3, text);
    text[3] = kUnits[unit + 1];
    return 4;
  }
  char* end = std::to_chars(text, text + kMaxHumanSizeLength - 1, units).ptr;
  *end++ = kUnits[unit];
  return static_cast<size_t>(end - text);
}

}  // namespace

void AppendNumber(std::string& out, uint64_t value) {
  char text[kMaxNumberTextLength];
  const char* start = WriteGroupedBackwards(value, text + kMaxNumberTextLength);
  out.append(start, static_cast<size_t>(text + kMaxNumberTextLength - start));
}

void AppendNumberRight(std::string& out, uint64_t value, size_t width) {
  char text[kMaxNumberTextLength];
  const char* start = WriteGroupedBackwards(value, text + kMaxNumberTextLength);
  const size_t length = static_cast<size_t>(text + kMaxNumberTextLength - start);
  if (length < width) out.append(width - length, ' ');
  out.append(start, length);
}

std::string FormatNumber(uint64_t value) {
  std::string text;
  AppendNumber(text, value);
  return text;
}

void AppendHumanSize(std::string& out, uint64_t value) {
  char text[kMaxHumanSizeLength];
  out.append(text, WriteHumanSize(value, text));
}

void AppendHumanSizeRight(std::string& out, uint64_t value, size_t width) {
  char text[kMaxHumanSizeLength];
  const size_t length = WriteHumanSize(value, text);
  if (length < width) out.append(width - length, ' ');
  out.append(text, length);
}
