// Date and time separators from the LC_TIME locale's date and time formats.
#include "platform/posix/separators.h"

#include <langinfo.h>

#include <clocale>
#include <cstring>

namespace {

bool IsAsciiPunctuation(char c) {
  return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
         (c >= 0x7B && c <= 0x7E);
}

// Replaces the conversions that stand for several fields by the fields they stand for.
std::string ExpandComposites(std::string_view format) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    const char conversion = format[++i];
    switch (conversion) {
      case 'D':
        out += "%m/%d/%y";
        break;
      case 'F':
        out += "%Y-%m-%d";
        break;
      case 'T':
        out += "%H:%M:%S";
        break;
      case 'R':
        out += "%H:%M";
        break;
      default:
        out += '%';
        out += conversion;
        break;
    }
  }
  return out;
}

bool IsLiteralPercent(const std::string& format, size_t at) {
  return at + 1 < format.size() && format[at + 1] == '%';
}

// The index just past the conversion starting at `start` (a "%"): flags, a width, an E or O
// modifier, then the conversion character.
size_t SkipConversion(const std::string& format, size_t start) {
  size_t i = start + 1;
  while (i < format.size() && format[i] != '\0' && std::strchr("_-0^#", format[i])) ++i;
  while (i < format.size() && format[i] >= '0' && format[i] <= '9') ++i;
  if (i < format.size() && (format[i] == 'E' || format[i] == 'O')) ++i;
  return i < format.size() ? i + 1 : i;
}

}  // namespace

std::string FieldSeparator(std::string_view format) {
  const std::string expanded = ExpandComposites(format);
  size_t i = expanded.find('%');
  while (i != std::string::npos && IsLiteralPercent(expanded, i)) i = expanded.find('%', i + 2);
  if (i == std::string::npos) return {};
  i = SkipConversion(expanded, i);
  std::string between;
  while (i < expanded.size()) {
    if (expanded[i] != '%') {
      between += expanded[i++];
    } else if (IsLiteralPercent(expanded, i)) {
      between += '%';
      i += 2;
    } else {
      // The second field starts here.
      if (between.size() == 1 && IsAsciiPunctuation(between[0])) return between;
      return {};
    }
  }
  return {};  // a single field has no separator
}

void ReadLocaleSeparators(std::string& date, std::string& time) {
  // The user's setting is taken once; the rest of the locale stays "C", so nothing else changes.
  static const bool locale_taken = setlocale(LC_TIME, "") != nullptr;
  (void)locale_taken;
  const std::string date_found = FieldSeparator(nl_langinfo(D_FMT));
  const std::string time_found = FieldSeparator(nl_langinfo(T_FMT));
  date = date_found.empty() ? std::string("/") : date_found;
  time = time_found.empty() ? std::string(":") : time_found;
}
