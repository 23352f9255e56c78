// JSON texts and numbers as the JSON document writes them: escaped strings, exact byte sums.
#include "output/json_text.h"

#include <cstdint>
#include <cstdio>

#include "common/calendar.h"
#include "common/number_text.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr char kHexDigits[] = "0123456789abcdef";

// The length of the valid UTF-8 character at the start of `text`, 0 when its first byte starts
// none: no overlong form, no surrogate, nothing past U+10FFFF, as JSON readers require.
size_t ValidCharacterLength(std::string_view text) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte, narrowed by some leads
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong below
    if (lead == 0xED) high = 0x9F;  // surrogates above
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong below
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF above
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

// The bytes JSON escapes with a letter, and their letters.
constexpr std::string_view kShortEscaped = "\"\\\b\f\n\r\t";
constexpr std::string_view kShortEscapeLetters = "\"\\bfnrt";

void AppendEscapedByte(std::string& out, unsigned char byte) {
  const size_t short_escape = kShortEscaped.find(static_cast<char>(byte));
  if (short_escape != std::string_view::npos) {
    out += '\\';
    out += kShortEscapeLetters[short_escape];
  } else if (byte < 0x20 || byte == 0x7F) {
    out += "\\u00";
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
  } else {
    out += static_cast<char>(byte);
  }
}

}  // namespace

bool AppendJsonString(std::string& out, std::string_view text) {
  bool is_exact = true;
  out += '"';
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      AppendEscapedByte(out, byte);
      ++i;
      continue;
    }
    const size_t length = ValidCharacterLength(text.substr(i));
    if (length == 0) {
      out += kReplacement;
      is_exact = false;
      ++i;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  out += '"';
  return is_exact;
}

void AppendJsonBytes(std::string& out, std::string_view text) {
  out += '[';
  for (size_t i = 0; i < text.size(); ++i) {
    if (i > 0) out += ',';
    AppendDigits(out, static_cast<unsigned char>(text[i]));
  }
  out += ']';
}

void AppendJsonTextField(std::string& out, std::string_view key, std::string_view text) {
  out.append(",\"").append(key).append("\":");
  if (AppendJsonString(out, text)) return;
  out.append(",\"").append(key).append("_bytes\":");
  AppendJsonBytes(out, text);
}

void AppendJsonNumberField(std::string& out, std::string_view key, ByteSum value) {
  out.append(",\"").append(key).append("\":");
  AppendDigits(out, value);
}

void AppendJsonTimeField(std::string& out, std::string_view key, FileTime local) {
  const CalendarTime time = CalendarTimeFromFileTime(local);
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02u",
                static_cast<long long>(time.Year), time.Month, time.Day, time.Hour, time.Minute,
                time.Second);
  out.append(",\"").append(key).append("\":\"").append(text).append("\"");
}
