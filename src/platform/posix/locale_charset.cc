// UTF-8 lines converted into the locale's charset, with ASCII connectors where it has no boxes.
#include "platform/posix/locale_charset.h"

#include "platform/posix/terminal.h"
#include "platform/posix/text.h"

namespace {

// The connectors' box-drawing characters and the ASCII character of the /A chart that stands
// for each: one column for one, so the chart's columns stay straight.
struct BoxStandIn {
  std::string_view Box;
  char Ascii;
};
constexpr BoxStandIn kBoxStandIns[] = {
    {"\xE2\x94\x94", '`'},  // └
    {"\xE2\x94\x9C", '+'},  // ├
    {"\xE2\x94\x82", '|'},  // │
    {"\xE2\x94\x80", '-'},  // ─
};

Iconv::Replacement ReplaceRefusedCharacter(std::string_view rest) {
  for (const BoxStandIn& stand_in : kBoxStandIns) {
    if (rest.starts_with(stand_in.Box)) return {stand_in.Box.size(), 1, stand_in.Ascii};
  }
  const size_t length = ValidCharacterLength(rest);
  return {length == 0 ? 1 : length, 1, '?'};
}

}  // namespace

bool NeedsChartConversion(std::string_view codeset) {
  if (codeset.empty() || IsUtf8CodesetName(codeset)) return false;
  return codeset != "ANSI_X3.4-1968" && codeset != "ASCII" && codeset != "US-ASCII";
}

ChartCharsetConverter::ChartCharsetConverter(const std::string& codeset)
    : to_locale_(codeset.c_str(), "UTF-8") {}

std::string_view ChartCharsetConverter::FromUtf8(std::string_view utf8) {
  // No charset of a locale takes more than four bytes for a character that UTF-8 writes in one
  // to four (GB18030 writes some two-byte ones in four).
  buffer_.resize(utf8.size() * 4);
  size_t length = 0;
  to_locale_.Convert(utf8, buffer_, ReplaceRefusedCharacter, length);  // a failure keeps its part
  buffer_.resize(length);
  return buffer_;
}
