// The byte classes of code page 932 that the program needs without decoding a text.
#pragma once

// True for a byte that starts a two-byte character of code page 932.
inline bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// True for a byte that can end a two-byte character of code page 932.
inline bool IsCp932TrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}
