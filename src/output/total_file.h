// The grand total appended to the total file.
#pragma once

#include "common/tree_item.h"

class Platform;
struct AppOptions;

// Appends the root's whole byte total and CR LF to TotalFileName, when one is named. Returns 0,
// or -1 when the platform could not write it (Platform::TotalFileFailure says why).
int WriteTotalFile(Platform& platform, const AppOptions& options, const TreeItem& root);
