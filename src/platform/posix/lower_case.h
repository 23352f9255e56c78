// Code page 932 lower-casing as Windows' CharLowerBuffA does it, for the platforms without that
// call: POSIX, and the fake of the tests.
#pragma once

#include <cstddef>

// Lower-cases code page 932 text in place: the ASCII letters, and the two-byte capitals that
// Windows lowers (full-width Latin, Greek, Cyrillic, and the Roman numerals Ⅰ to Ⅹ); never the
// second byte of a two-byte character. The two-byte letters are read from the system's converter
// and the C library's case mapping, never from a table of this program's own.
void LowerCaseCp932(char* text, size_t length);

// Opens what LowerCaseCp932 and the UTF-8 lower-casing need (converters, the C.UTF-8 locale), so
// that no walk is left without them for want of a descriptor; the run ends, as when memory runs
// out, when they cannot be had.
void PrepareLowerCase();
