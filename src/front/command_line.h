// The command-line parser: options into the global settings, the folder argument, its test.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "common/path_text.h"

class Platform;

// The option keywords, upper case, each with its action number: the 43 classic ones (actions 1
// to 26), then those beyond them.
std::map<std::string, int> MakeKeywordTable();

// Parses the arguments (element 0 skipped) into g_options. The parser reads each argument's
// shown text and upper-cases each option's key there, in place; the folder argument and the
// total file keep their native forms. Returns 0 when the run may go on, -1 after writing the one
// failure message.
int ParseCommandLine(Platform& platform, std::vector<PathText>& arguments);
// The same for code page 932 texts alone, each its own native form; the keys of `argv` are
// upper-cased in place.
int ParseCommandLine(Platform& platform, int argc, char** argv);
