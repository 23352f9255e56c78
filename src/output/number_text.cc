// Decimal texts of counts and sizes, grouped in threes without streams or locales.
#include "output/number_text.h"

size_t WriteNumberText(uint32_t value, char (&buffer)[kMaxNumberTextLength]) {
  // Filled from the right, so a "," goes in before every fourth digit.
  size_t position = kMaxNumberTextLength;
  int digits = 0;
  do {
    if (digits != 0 && digits % 3 == 0) buffer[--position] = ',';
    buffer[--position] = static_cast<char>('0' + value % 10);
    value /= 10;
    ++digits;
  } while (value != 0);
  size_t length = kMaxNumberTextLength - position;
  for (size_t i = 0; i < length; ++i) buffer[i] = buffer[position + i];
  return length;
}

void AppendNumber(std::string& out, uint32_t value) {
  char buffer[kMaxNumberTextLength];
  out.append(buffer, WriteNumberText(value, buffer));
}

void AppendNumberRight(std::string& out, uint32_t value, size_t width) {
  char buffer[kMaxNumberTextLength];
  size_t length = WriteNumberText(value, buffer);
  if (length < width) out.append(width - length, ' ');
  out.append(buffer, length);
}

std::string FormatNumber(uint32_t value) {
  std::string text;
  AppendNumber(text, value);
  return text;
}
