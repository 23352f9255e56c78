// The Linux mode's chart in a locale whose charset is neither UTF-8 nor code page 932.
#pragma once

#include <string>
#include <string_view>

#include "platform/posix/iconv.h"

// True when a UTF-8 chart must be converted for a locale of charset `codeset`: UTF-8 itself, and
// the ASCII of the C and POSIX locales (whose terminals show UTF-8 nowadays), need nothing.
bool NeedsChartConversion(std::string_view codeset);

// Turns UTF-8 lines into the locale's charset through iconv: a character the charset lacks
// becomes "?", and a box-drawing character of the connectors its ASCII stand-in ("├── " becomes
// "+-- ", as the /A chart draws it), so that the chart keeps its shape and its columns.
class ChartCharsetConverter {
 public:
  explicit ChartCharsetConverter(const std::string& codeset);

  // The converted form of `utf8`, a view of a buffer that the next call reuses.
  std::string_view FromUtf8(std::string_view utf8);

 private:
  Iconv to_locale_;
  std::string buffer_;
};
