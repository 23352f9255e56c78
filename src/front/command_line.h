// The command-line parser: options into the run's settings, the folder argument, its test.
#pragma once

#include <vector>

#include "common/path_text.h"

struct AppOptions;
class Platform;

// Parses the arguments (element 0 skipped) into `options`: each option writes its fields, the
// others keep what they held (the defaults, for a fresh record), and the derived fields follow.
// The parser reads each argument's shown text and upper-cases each option's key there, in place;
// the folder argument and the total file keep their native forms. Returns 0 when the run may go
// on, -1 after writing the one failure message.
int ParseCommandLine(Platform& platform, std::vector<PathText>& arguments, AppOptions& options);
