// How the core steps through the text of a chart, which is code page 932 or UTF-8.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/cp932_bytes.h"
#include "common/wildcard_match.h"

// The bytes of the UTF-8 character at `at` in `text`, told by its first byte and never past the
// text's end; 1 for a byte that starts no character. The platform makes every text it shows
// well-formed (a malformed byte becomes U+FFFD), so this never splits a character of a name.
inline size_t Utf8CharacterLength(std::string_view text, size_t at) {
  const unsigned char first = static_cast<unsigned char>(text[at]);
  size_t length = 1;
  if (first >= 0xC2 && first <= 0xDF) length = 2;
  if (first >= 0xE0 && first <= 0xEF) length = 3;
  if (first >= 0xF0 && first <= 0xF4) length = 4;
  return at + length <= text.size() ? length : 1;
}

// How a chart's text steps from character to character: UTF-8 in a UTF-8 chart, else code page
// 932.
inline CharacterLengthFunction ChartCharacterLength(bool is_utf8) {
  return is_utf8 ? Utf8CharacterLength : Cp932CharacterLength;
}
