// The chart written as the walk goes: lines as soon as what they show is known, and each
// folder's children released once written and walked.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/tree_item.h"
#include "order/sort_tree.h"
#include "output/print_tree.h"
#include "tree/aggregate.h"
#include "tree/folder_scan.h"
#include "tree/tree_feed.h"

class Platform;
struct AppOptions;

// Fed by ScanFolder (as its TreeFeed), writes the very lines PrintTree would write of the whole
// tree, in the same order, where the options need nothing of a folder's subtree before its line
// (AppOptions::IsChartStreamed). A folder's children are summed, counted once, ordered, marked
// and given their columns as soon as they are made: every one of those steps looks at one
// folder's children alone. The walk goes in the chart's order, so each folder's children are
// released once written and walked and the memory held is that of the folders still open;
// where the walk keeps listing order (stream_chart.cc), a subfolder walked before its turn is
// held until it is written.
class StreamedChart final : public TreeFeed {
 public:
  // `root` is named already; `shared_files` is the list the scan adds files with other names
  // to; `before_lines` is called before each step's lines (to tell what the walk met first).
  StreamedChart(Platform& platform, const AppOptions& options, TreeItem& root,
                std::vector<SharedFile>& shared_files, std::function<void()> before_lines);
  StreamedChart(const StreamedChart&) = delete;
  StreamedChart& operator=(const StreamedChart&) = delete;

  TreeStore& ChildStore(const TreeItem& folder) override;
  void ChildrenMade(TreeItem& folder) override;
  void FolderWalked(TreeItem& folder) override;

  // The folders whose children are held now, and the most held at once.
  size_t HeldChildLists() const { return held_lists_; }
  size_t PeakHeldChildLists() const { return peak_held_lists_; }

 private:
  // A folder met by the walk and not yet both written and walked.
  struct HeldFolder {
    std::unique_ptr<TreeStore> children;  // made when the folder is listed
    bool is_listed = false;
    bool is_walked = false;
    bool is_written = false;  // its line and all below it that is shown, or none is shown
  };
  // A folder the chart is writing the children of, and its next child.
  struct OpenFolder {
    TreeItem* folder;
    TreeItem* next;
    size_t prefix_length;  // the prefix before its own children's segment
  };
  void WriteReadyLines();
  void WriteFolderLine(TreeItem& folder, size_t depth);
  void NoteWritten(const TreeItem& folder);
  void ReleaseIfDone(const TreeItem& folder);

  Platform& platform_;
  const AppOptions& options_;
  TreeItem& root_;
  std::vector<SharedFile>& shared_files_;
  std::function<void()> before_lines_;
  ChartLineWriter writer_;
  SeenFiles seen_files_;
  SortRoom sort_room_;
  std::unordered_map<const TreeItem*, HeldFolder> held_;
  size_t held_lists_ = 0;
  size_t peak_held_lists_ = 0;
  bool is_root_written_ = false;
  std::vector<OpenFolder> open_;  // the path of the next line, from the root down
  std::string prefix_;            // the segments of the open folders below the root
};
