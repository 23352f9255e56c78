// Decimal texts of counts and sizes, digits grouped by three with ",": the chart's and the
// progress line's one way of writing a number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/number_width.h"

// The longest grouped text of a 64-bit value: "18,446,744,073,709,551,615".
constexpr size_t kMaxNumberTextLength = GroupedNumberLength(UINT64_MAX);

// Appends the grouped text of `value` to `out`; allocates nothing once `out` has room.
void AppendNumber(std::string& out, uint64_t value);

// Appends the grouped text of `value` right-aligned in `width` bytes (a longer text whole).
void AppendNumberRight(std::string& out, uint64_t value, size_t width);

// The decimal text of `value` with "," between groups of three digits from the right.
std::string FormatNumber(uint64_t value);
