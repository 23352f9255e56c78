// The arguments of a run as the tests write them, in the form the program hands them over.
#pragma once

#include <string>
#include <vector>

#include "common/path_text.h"

// "quovrel", then each of `texts`, each its own native form, as the fake platform reads them.
inline std::vector<PathText> RunArguments(const std::vector<std::string>& texts) {
  std::vector<PathText> arguments{SameText("quovrel")};
  for (const std::string& text : texts) arguments.push_back(SameText(text));
  return arguments;
}
