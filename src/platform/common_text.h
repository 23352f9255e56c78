// Text helpers shared by the platform implementations that have no system call for them.
#pragma once

#include <cstddef>

// True for a byte that starts a two-byte character of code page 932.
inline bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Lower-cases the ASCII letters of code page 932 text in place, skipping the second byte of
// every two-byte character.
void LowerCaseCp932(char* text, size_t length);
