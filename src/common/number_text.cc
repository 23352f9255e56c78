// Decimal texts of counts and sizes, grouped in threes without streams or locales, and sizes in
// units of 1,024.
#include "common/number_text.h"

#include <algorithm>
#include <charconv>

namespace {

// Writes the grouped text of `value` so that it ends just before `end`; returns its first byte.
// Filled from the right, a whole group of three and its "," at a time, so no byte moves after.
char* WriteGroupedBackwards(uint64_t value, char* end) {
  char* next = end;
  while (value >= 1000) {
    const auto group = static_cast<unsigned>(value % 1000);
    value /= 1000;
    next -= 4;
    next[0] = ',';
    next[1] = static_cast<char>('0' + group / 100);
    PutTwoDigits(next + 2, group % 100);
  }
  // The leading group, one to three digits.
  const auto lead = static_cast<unsigned>(value);
  if (lead >= 10) {
    next -= 2;
    PutTwoDigits(next, lead % 100);
  } else {
    *--next = static_cast<char>('0' + lead);
  }
  if (lead >= 100) *--next = static_cast<char>('0' + lead / 100);
  return next;
}

// The longest grouped text of a ByteSum, "340,282,366,920,938,463,463,374,607,431,768,211,455":
// 39 digits and 12 commas.
constexpr size_t kMaxByteSumTextLength = 51;
// 10^18: eighteen digits, six whole groups of three, the most that fit in 64 bits.
constexpr uint64_t kEighteenDigits = 1000000000000000000;

// Writes the decimal text of `value` so that it ends just before `end`, with "," before every
// fourth digit when `grouped`; returns its first byte. 128 bits are divided once for each
// eighteen digits past 64 bits; the digits themselves come from 64-bit numbers.
char* WriteSumBackwards(ByteSum value, bool grouped, char* end) {
  char* next = end;
  int digits = 0;
  auto put_digit = [&](uint64_t digit) {
    if (grouped && digits > 0 && digits % 3 == 0) *--next = ',';
    *--next = static_cast<char>('0' + digit);
    ++digits;
  };
  while (value > UINT64_MAX) {
    uint64_t piece = static_cast<uint64_t>(value % kEighteenDigits);
    value /= kEighteenDigits;
    for (int i = 0; i < 18; ++i, piece /= 10) put_digit(piece % 10);
  }
  uint64_t rest = static_cast<uint64_t>(value);
  do {
    put_digit(rest % 10);
    rest /= 10;
  } while (rest != 0);
  return next;
}

// The longest text of a size in units: "268435456Q", for the largest ByteSum. A sum of 2^32
// files of 2^64 - 1 bytes, the largest the tree holds, is "64R"; a single file's "16E".
constexpr size_t kMaxHumanSizeLength = 10;
constexpr char kUnits[] = "KMGTPEZYRQ";
constexpr int kUnitBits = 10;  // a unit is 1,024 of the one below

// Writes the text of AppendHumanSize into `text`, which holds kMaxHumanSizeLength bytes;
// returns its length. Exact integer steps: the value is split at the unit into whole units and
// the rest, and any rest at all rounds up.
size_t WriteHumanSize(ByteSum value, char* text) {
  if (value < 1024) {
    const auto bytes = static_cast<uint64_t>(value);
    return static_cast<size_t>(std::to_chars(text, text + 4, bytes).ptr - text);
  }
  int unit = 0;  // index into kUnits: the largest unit of which the value holds 1,024 or less
  while (unit + 1 < static_cast<int>(sizeof kUnits - 1) &&
         (value >> (kUnitBits * (unit + 1))) >= 1024) {
    ++unit;
  }
  const int bits = kUnitBits * (unit + 1);
  // Below 2^28 units of Q, the largest unit, for any ByteSum.
  const auto whole = static_cast<uint64_t>(value >> bits);
  const ByteSum rest = value & ((ByteSum{1} << bits) - 1);
  if (whole < 10) {
    // Tenths, rounded up: rest * 10 stays below 2^128 as the rest is below 2^100.
    const ByteSum tenths_rest = rest * 10;
    uint64_t tenths = whole * 10 + static_cast<uint64_t>(tenths_rest >> bits);
    if ((tenths_rest & ((ByteSum{1} << bits) - 1)) != 0) ++tenths;
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

void AppendByteSum(std::string& out, ByteSum value) {
  char text[kMaxByteSumTextLength];
  const char* start = WriteSumBackwards(value, true, text + kMaxByteSumTextLength);
  out.append(start, static_cast<size_t>(text + kMaxByteSumTextLength - start));
}

void AppendDigits(std::string& out, ByteSum value) {
  char text[kMaxByteSumTextLength];
  const char* start = WriteSumBackwards(value, false, text + kMaxByteSumTextLength);
  out.append(start, static_cast<size_t>(text + kMaxByteSumTextLength - start));
}

void AppendHumanSize(std::string& out, ByteSum value) {
  char text[kMaxHumanSizeLength];
  out.append(text, WriteHumanSize(value, text));
}

void AppendHumanSizeRight(std::string& out, ByteSum value, size_t width) {
  char text[kMaxHumanSizeLength];
  const size_t length = WriteHumanSize(value, text);
  if (length < width) out.append(width - length, ' ');
  out.append(text, length);
}
