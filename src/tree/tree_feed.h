// What the scan tells a chart written as the walk goes: each folder's children once made.
#pragma once

#include "common/tree_item.h"

// Told of every folder the scan makes, in the walk's order. Given a feed, the scan makes a
// folder's children (its charted subfolders, then its files, each in listing order) all at once,
// right after the folder is listed, in the store the feed hands it, and walks the subfolders
// from its own list of them: the feed may reorder the children's list, and keeps their store
// for as long as it needs them. The subfolders are walked in the order the feed gives the list,
// except where the walk keeps listing order to decide what it enters as the walk without a feed
// does (folder_scan.cc).
class TreeFeed {
 public:
  virtual ~TreeFeed() = default;
  // The store `folder`'s children are made in; asked once, when it is listed.
  virtual TreeStore& ChildStore(const TreeItem& folder) = 0;
  // `folder` is listed and its children made: subfolders marked IsFolder, their own children
  // not made yet. Folders below it are walked after this.
  virtual void ChildrenMade(TreeItem& folder) = 0;
  // `folder` and everything below it is walked; a subfolder that was not entered (refused, a link
  // loop, or deeper than the walk goes) has no children and is told here alone.
  virtual void FolderWalked(TreeItem& folder) = 0;
};
