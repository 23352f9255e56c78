// The walk of the file system below the charted folder that builds the tree.
#pragma once

#include "common/path_text.h"
#include "common/tree_item.h"

class Platform;

// Fills `root` and everything below the folder `path`: subfolders first, each scanned whole
// before the next, then the files; folders whose names begin with a full stop are left out.
// Every failure is silent: a folder that cannot be listed stays empty.
void ScanFolder(Platform& platform, TreeStore& store, const PathText& path, TreeItem& root);
