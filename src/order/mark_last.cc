// placeholder until implemented
#include "order/mark_last.h"
void MarkLastItems(TreeItem&) {}
