// The byte classes of code page 932 that the program needs without decoding a text.
#pragma once

#include <cstddef>
#include <string_view>

// True for a byte that starts a two-byte character of code page 932.
inline bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// True for a byte that can end a two-byte character of code page 932.
inline bool IsCp932TrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// The bytes of the character at `at` in `text`, as Windows steps through a string: two for a lead
// byte with any byte after it, else one. A two-byte character also takes two columns on a screen,
// so the bytes of a text are its width.
inline size_t Cp932CharacterLength(std::string_view text, size_t at) {
  return IsCp932LeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// The bytes of a sequence at the start of `text` that a converter refused as no character of code
// page 932: a lead byte with a byte of the trail range after it is one pair the code page leaves
// unassigned, anything else one byte. Each refused byte shows as one "?", so the text keeps its
// width.
inline size_t Cp932RefusedLength(std::string_view text) {
  const bool is_pair = text.size() >= 2 && IsCp932LeadByte(static_cast<unsigned char>(text[0])) &&
                       IsCp932TrailByte(static_cast<unsigned char>(text[1]));
  return is_pair ? 2 : 1;
}
