// The pass that completes the tree: per-folder counts and byte sums.
#pragma once

#include <unordered_set>
#include <vector>

#include "common/tree_item.h"
#include "tree/folder_scan.h"

struct AppOptions;

// Runs the sums pass where the options ask for sums or totals. Byte sums never wrap. Counting
// the disk's space (CountDiskUsage), a folder's own space counts among its own bytes, and each
// file of `shared_files` counts once: at its first name in the chart's order as it is without a
// sort key (each folder's files before or after its subfolders as FilesFirst says, in listing
// order); its other names count 0, in their size column too.
void AggregateTree(const AppOptions& options, TreeItem& root,
                   const std::vector<SharedFile>& shared_files = {});

// The steps of the pass for one folder at a time, for a chart written as the walk goes, which
// shows no totals (their subtree is not walked yet when the folder's line is written).
// Counts and sums `folder`'s own files as the pass does; a folder without children keeps its own
// space where that is counted, and 0 otherwise.
void SumOwnFiles(const AppOptions& options, TreeItem& folder);
// Sums `folder` as the pass does, its totals too, once every subfolder is summed: for a chart
// whose folders are finished as the walk leaves them (FolderFinish), without CountDiskUsage, whose
// files count once in an order the walk does not follow.
void SumFinishedFolder(const AppOptions& options, TreeItem& folder);
// The files met once already, by identity.
using SeenFiles = std::unordered_set<FolderIdentity, FolderIdentityHash>;
// Counts each file of `new_files` (the shared files of one folder, in listing order) once: a file
// in `seen` keeps the size 0. Files first, one folder's files at its listing is the order
// AggregateTree counts them in. Empties `new_files`.
void CountNewSharedFilesOnce(std::vector<SharedFile>& new_files, SeenFiles& seen);
