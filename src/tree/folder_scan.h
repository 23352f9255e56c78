// The walk of the file system below the charted folder that builds the tree.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/path_text.h"
#include "common/tree_item.h"
#include "platform/walk_rules.h"

class FolderWalker;
class ScanListener;
class TreeFeed;
class Platform;
struct AppOptions;

// Told of each folder as soon as the walk is done with it: its children all made, its subfolders
// each told before it, a subfolder the walk does not enter as it passes it by. The folder's steps
// that would otherwise wait for the whole tree (its sums, its order, its columns) are done then,
// while its entries are still in the processor's cache.
using FolderFinish = std::function<void(TreeItem& folder)>;

// A file entry whose file has other names (hard links), and which file it is: what counting each
// file once needs to know.
struct SharedFile {
  TreeItem* Item;
  FolderIdentity FileId;
};

// Fills `root` and everything below the folder `path`, walked by `walker` (the platform's, or a
// progress line's view of it): subfolders first, each scanned whole before the next, then the
// files (when the options need them). Folders whose names begin with a full stop (unless
// ShowDotFolders) and entries an exclusion pattern names are left out with all below them;
// folders at ScanDepthLimit are made but not entered. A folder that cannot be opened or listed
// stays empty; with `unread` it is also added there, in the order the walk met it. Counting the
// disk's space (CountDiskUsage), each folder's own space is its Size, the root's included, and
// `shared_files` (when given) gets every file entry that has other names. A `listener` is told
// of every entry listed, with each file's and the root's own information (an export); the
// listings then hold every file. A `feed` is told of each folder's children as soon as they are
// made, in stores of its own (tree/tree_feed.h), for a chart written as the walk goes. A `finish`
// is told of each folder done with.
struct UnreadFolder {
  std::string Path;                  // shown, the charted folder's path and the names below it
  std::string Reason;                // the system's words (FolderWalker::FailureText)
  const TreeItem* Folder = nullptr;  // its entry, which stands empty in the tree
};
void ScanFolder(FolderWalker& walker, Platform& platform, const AppOptions& options,
                TreeStore& store, const PathText& path, TreeItem& root,
                std::vector<SharedFile>* shared_files = nullptr,
                std::vector<UnreadFolder>* unread = nullptr, ScanListener* listener = nullptr,
                TreeFeed* feed = nullptr, const FolderFinish* finish = nullptr);
