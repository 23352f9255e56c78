// The run: parse, banner and help, then scan, aggregate, sort, mark, print and total file.
#pragma once

#include <vector>

#include "common/path_text.h"

class Platform;

// The entry point's work on the arguments as the platform read them; the parser may change
// their shown texts in place. Returns the exit status: 1 when the command line was refused (or, in
// the Linux mode, a folder could not be read or the total file written), 2 when memory ran out
// (one line on standard error says so), 0 otherwise.
int RunQuovrel(Platform& platform, std::vector<PathText>& arguments);
