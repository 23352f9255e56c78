// Code page 932 lower-casing for platforms without CharLowerBuffA.
#include "platform/common_text.h"

void LowerCaseCp932(char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (IsCp932LeadByte(byte)) {
      ++i;  // the trail byte may look like a letter; it is not one
    } else if (byte >= 'A' && byte <= 'Z') {
      text[i] = static_cast<char>(byte + ('a' - 'A'));
    }
  }
}
