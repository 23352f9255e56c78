// placeholder until implemented
#include "output/number_text.h"
std::string FormatNumber(uint32_t) { return {}; }
