// The user's date and time separators, read from the LC_TIME locale.
#pragma once

#include <string>
#include <string_view>

// The separator between the first two fields of a strftime format (after expanding %D, %F, %T
// and %R) when it is a single ASCII punctuation character; empty otherwise.
std::string FieldSeparator(std::string_view format);

// The LC_TIME locale's date and time separators; "/" and ":" where it gives none that fits.
void ReadLocaleSeparators(std::string& date, std::string& time);
