// The long options ("--depth=2"): each stands for a classic keyword's action, so a long option
// and its keyword set the same fields the same way.
#pragma once

#include <string_view>
#include <vector>

#include "common/path_text.h"

// One option as read from the command line: its action (0 when it is none) and its value.
struct OptionRead {
  int Action = 0;
  PathText Value;          // after the first "=", or the next argument
  bool TakesNext = false;  // the value is the next argument, which is then no folder
};

// "--" and a name: a long option. "--" alone ends the options, and "--=..." stays the classic
// key "-", as it always was.
bool IsLongOption(std::string_view text);

// The long option at arguments[i], `split` its parts around the first "=". A name stands for the
// long option it names, in any case, or for the one every long name it begins does (GNU's unique
// abbreviations); none when several that act differently do. A value the option needs comes
// after "=", else it is the next argument; without one the action still gets an empty value and
// refuses it as its keyword does. A word value becomes the action of its choice, abbreviated
// alike; action 0 when it is none of them, or when the option takes no value and has one.
OptionRead ReadLongOption(const std::vector<PathText>& arguments, size_t i,
                          const EqualsSplit& split);
