// placeholder until implemented
#include "order/sort_tree.h"
void SortTree(TreeItem&) {}
