// Decimal texts of counts and sizes, grouped in threes without streams or locales.
#include "common/number_text.h"

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
