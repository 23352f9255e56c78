// placeholder until implemented
#include "output/total_file.h"
void WriteTotalFile(Platform&, const TreeItem&) {}
