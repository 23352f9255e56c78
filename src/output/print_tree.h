// Draws the finished tree on standard output, one line per shown entry.
#pragma once

#include <cstdint>
#include <vector>

#include "common/tree_item.h"

class Platform;

// `flags` is the continuation table, one entry per depth; it grows with the depth as needed.
void PrintTree(Platform& platform, const TreeItem& root, std::vector<uint8_t>& flags);
