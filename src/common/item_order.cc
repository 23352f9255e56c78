// placeholder until implemented
#include "common/item_order.h"
bool ItemPrecedes(const TreeItem&, const TreeItem&, const AppOptions&) { return false; }
bool KeyLess(const TreeItem&, const TreeItem&, int32_t) { return false; }
