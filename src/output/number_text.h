// Decimal texts of counts and sizes.
#pragma once

#include <cstdint>
#include <string>

// The decimal text of `value` with "," between groups of three digits from the right.
std::string FormatNumber(uint32_t value);
