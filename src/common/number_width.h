// How many bytes a count or a size takes when written with "," between groups of three digits.
#pragma once

#include <cstddef>
#include <cstdint>

// The byte length of the grouped decimal text of `value`: "0" is 1, "1,234" is 5, and the
// largest 64-bit value, "18,446,744,073,709,551,615", is 26.
constexpr size_t GroupedNumberLength(uint64_t value) {
  size_t digits = 1;
  for (; value >= 10; value /= 10) ++digits;
  return digits + (digits - 1) / 3;
}
