// A path or argument as the program shows it and as the system names it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// `Shown` is the code page 932 text that the parser reads and the chart prints. `Native` is the
// system's own form of the same text, which only the platform reads (the file system's bytes on
// Linux, the bytes of the UTF-16 code units on Windows). Two native texts can show alike ("?"
// stands for every character the code page lacks), so a path goes back to the system by its
// native form, never by its shown one.
struct PathText {
  std::string Shown;
  std::string Native;
  // The shown form stands "?" for a character it could not show (one the code page lacks, or a
  // control character): set by the platform that made the text, which alone can tell such a "?"
  // from one typed as such.
  bool HasLostCharacters = false;
  // The bytes of one unit of the native form: 1 where it is bytes, 2 where it is UTF-16 (low byte
  // first, as Windows keeps it). In every native form "=" is one unit of its own, so knowing the
  // unit is enough to part the native form where the shown one parts (SplitAtFirstEquals).
  uint8_t NativeUnitBytes = 1;
};

// A text whose native form is its shown form, on a platform whose native forms are bytes such as
// code page 932 or UTF-8 (POSIX, the tests' fake): "." or a code page 932 argument.
inline PathText SameText(std::string_view text) { return {std::string(text), std::string(text)}; }

// A text parted at its first "=", each part in both forms: `After` is empty when the text holds
// no "=". The conversion between the forms keeps each "=" and makes none, so both part at the
// same character. A part is marked as having lost characters when the whole is and the part shows
// a "?": a part that shows none lost none.
struct EqualsSplit {
  PathText Before;
  PathText After;
};
EqualsSplit SplitAtFirstEquals(const PathText& text);

// True for "." and "..", which every folder lists and no chart shows.
inline bool IsDotOrDotDot(std::string_view name) { return name == "." || name == ".."; }
