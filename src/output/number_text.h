// Decimal texts of counts and sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The longest grouped text of a 32-bit value: "4,294,967,295".
constexpr size_t kMaxNumberTextLength = 13;

// Writes the decimal text of `value` with "," between groups of three digits from the right
// into `buffer`, unterminated, and returns its length.
size_t WriteNumberText(uint32_t value, char (&buffer)[kMaxNumberTextLength]);

// Appends the grouped text of `value` to `out`; allocates nothing once `out` has room.
void AppendNumber(std::string& out, uint32_t value);

// Appends the grouped text of `value` right-aligned in `width` bytes (a longer text whole).
void AppendNumberRight(std::string& out, uint32_t value, size_t width);

// The decimal text of `value` with "," between groups of three digits from the right.
std::string FormatNumber(uint32_t value);
