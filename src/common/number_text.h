// Decimal texts of counts and sizes, digits grouped by three with ",": the chart's and the
// progress line's one way of writing a number; and sizes in units of 1,024 ("1.5M").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/byte_sum.h"
#include "common/number_width.h"

// The longest grouped text of a 64-bit value: "18,446,744,073,709,551,615".
constexpr size_t kMaxNumberTextLength = GroupedNumberLength(UINT64_MAX);

// "00" to "99" one after another, made by the compiler: two digits for one division.
inline constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// Writes the two digits of `value`, below 100, at `out`.
inline void PutTwoDigits(char* out, unsigned value) {
  out[0] = kDigitPairs[2 * value];
  out[1] = kDigitPairs[2 * value + 1];
}

// Appends the grouped text of `value` to `out`; allocates nothing once `out` has room.
void AppendNumber(std::string& out, uint64_t value);

// Appends the grouped text of `value` right-aligned in `width` bytes (a longer text whole).
void AppendNumberRight(std::string& out, uint64_t value, size_t width);

// The decimal text of `value` with "," between groups of three digits from the right.
std::string FormatNumber(uint64_t value);

// Appends the grouped text of a byte sum of any size: "27,670,116,110,564,327,421".
void AppendByteSum(std::string& out, ByteSum value);

// Appends the decimal digits of `value` without grouping: "27670116110564327421".
void AppendDigits(std::string& out, ByteSum value);

// Appends `value` bytes in units of 1,024, rounded up, as disk usage tools write it: below
// 1,024 the plain number ("999"); below 10 of a unit one decimal ("1.0K", "9.9K"); else whole
// units ("10K", "1023K"), and what rounds up to 1,024 of a unit is 1.0 of the next ("1.0M").
// Units K, M, G, T, P, E, and for sums past those Z, Y, R, Q.
void AppendHumanSize(std::string& out, ByteSum value);

// Appends the text of AppendHumanSize right-aligned in `width` bytes.
void AppendHumanSizeRight(std::string& out, ByteSum value, size_t width);
