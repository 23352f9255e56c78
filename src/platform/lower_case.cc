// Code page 932 lower-casing for platforms without CharLowerBuffA.
#include "platform/lower_case.h"

namespace {

// Adds 0x20 to "A" to "Z" only, without a branch that a mix of cases would mispredict.
inline char LowerAscii(unsigned char byte) {
  const unsigned is_upper = static_cast<unsigned>(byte - 'A') < 26u;
  return static_cast<char>(byte + (is_upper << 5));
}

}  // namespace

void LowerCaseCp932(char* text, size_t length) {
  // Most names are ASCII, where no byte is a trail byte: one plain loop that vectorizes.
  unsigned char high_bits = 0;
  for (size_t i = 0; i < length; ++i) high_bits |= static_cast<unsigned char>(text[i]);
  if (high_bits < 0x80) {
    for (size_t i = 0; i < length; ++i) text[i] = LowerAscii(static_cast<unsigned char>(text[i]));
    return;
  }
  for (size_t i = 0; i < length; ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      if (IsCp932LeadByte(byte)) ++i;  // the trail byte may look like a letter; it is not one
      continue;
    }
    text[i] = LowerAscii(byte);
  }
}
