// placeholder until implemented
#include "front/command_line.h"
std::map<std::string, int> MakeKeywordTable() { return {}; }
int ParseCommandLine(Platform&, int, char**) { return 0; }
