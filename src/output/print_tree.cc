// placeholder until implemented
#include "output/print_tree.h"
void PrintTree(Platform&, const TreeItem&, std::vector<uint8_t>&) {}
