// Code page 932 lower-casing for the platforms without CharLowerBuffA: POSIX, and the fake of
// the tests.
#pragma once

#include <cstddef>

#include "common/cp932_bytes.h"

// Lower-cases the ASCII letters of code page 932 text in place, skipping the second byte of
// every two-byte character.
void LowerCaseCp932(char* text, size_t length);
