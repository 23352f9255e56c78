// Checks shared by the fuzz targets: the shape of what a run printed.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/iconv.h"

// A fuzz target reports a broken rule by crashing, so that libFuzzer keeps the input.
inline void Require(bool rule) {
  if (!rule) std::abort();
}

// Splits `bytes` into its lines; false unless every line ends in CR LF and no other byte below
// 0x20 (or 0x7F) appears, so that nothing could drive a terminal or split an entry.
inline bool SplitCleanLines(std::string_view bytes, std::vector<std::string_view>& lines) {
  lines.clear();
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos) return false;
    const std::string_view line = bytes.substr(start, end - start);
    for (char c : line) {
      const unsigned char byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte == 0x7F) return false;
    }
    lines.push_back(line);
    start = end + 2;
  }
  return true;
}

// `bytes` without the colour sequences a coloured chart writes (ESC "[", digits and ";", "m"),
// which a chart asked for in colour holds by design; any other control byte is left to be found.
inline std::string WithoutColourSequences(std::string_view bytes) {
  std::string kept;
  kept.reserve(bytes.size());
  size_t at = 0;
  while (at < bytes.size()) {
    if (bytes[at] == '\x1b' && at + 1 < bytes.size() && bytes[at + 1] == '[') {
      size_t end = at + 2;
      while (end < bytes.size() &&
             ((bytes[end] >= '0' && bytes[end] <= '9') || bytes[end] == ';')) {
        ++end;
      }
      if (end < bytes.size() && bytes[end] == 'm') {
        at = end + 1;
        continue;
      }
    }
    kept.push_back(bytes[at++]);
  }
  return kept;
}

// True when the system's converter reads every byte of `bytes` as part of a code page 932
// character, as `iconv -f CP932` must for a chart to reach its reader whole.
inline bool IsValidCp932(std::string_view bytes) {
  static Iconv from_cp932("UTF-8", "CP932");
  return from_cp932.ReadableLength(bytes) == bytes.size();
}
