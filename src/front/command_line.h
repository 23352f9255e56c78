// The command-line parser: options into the global settings, the folder argument, its test.
#pragma once

#include <map>
#include <string>

class Platform;

// The 43 option keywords, upper case, each with its action number (1 to 26).
std::map<std::string, int> MakeKeywordTable();

// Parses the arguments (element 0 skipped) into g_options. Upper-cases each option's key in
// place. Returns 0 when the run may go on, -1 after writing the one failure message.
int ParseCommandLine(Platform& platform, int argc, char** argv);
