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
// With `is_depth_apart_allowed`, "-L N" takes the depth from the next argument, as the Linux
// program's users type it; otherwise "-L" is the classic "/L" alone, which needs "=N".
int ParseCommandLine(Platform& platform, std::vector<PathText>& arguments, AppOptions& options,
                     bool is_depth_apart_allowed = false);
