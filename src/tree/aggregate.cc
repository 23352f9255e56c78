// placeholder until implemented
#include "tree/aggregate.h"
void AggregateTree(TreeItem&) {}
