// A path or argument as the program shows it and as the system names it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// `Shown` is the code page 932 text that the parser reads and the chart prints. `Native` is the
// system's own form of the same text, which only the platform reads (the file system's bytes on
// Linux, the bytes of the UTF-16 code units on Windows). Two native texts can show alike ("?"
// stands for every character the code page lacks), so a path goes back to the system by its
// native form, never by its shown one.
struct PathText {
  std::string Shown;
  std::string Native;
};

// A text whose native form is its shown form, on a platform whose native forms are bytes such as
// code page 932 or UTF-8 (POSIX, the tests' fake): "." or a code page 932 argument.
inline PathText SameText(std::string_view text) { return {std::string(text), std::string(text)}; }

// Texts that are their own native form, on such a platform: code page 932 texts given alone
// (tests, fuzzing).
inline std::vector<PathText> SameTexts(int argc, char* const* argv) {
  std::vector<PathText> texts;
  for (int i = 0; i < argc; ++i) texts.push_back(SameText(argv[i] ? argv[i] : ""));
  return texts;
}

// True for "." and "..", which every folder lists and no chart shows.
inline bool IsDotOrDotDot(std::string_view name) { return name == "." || name == ".."; }
