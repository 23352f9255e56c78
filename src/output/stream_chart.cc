// The chart written as the walk goes. Two orders meet here: the walk's and the chart's (the sort
// key's). The walk follows the chart's order, so that each folder is written as it is walked and
// released right after, except below a link, where the order decides what the walk enters: there
// it keeps listing order, as in the chart of the whole tree, and the chart waits for a folder the
// walk has not listed yet, and holds a folder listed before its turn. (Counting the disk's space,
// which decides by the order too, the chart is streamed only without a sort key, whose order is
// the listing's.)
#include "output/stream_chart.h"

#include <utility>

#include "common/app_options.h"
#include "order/sort_tree.h"
#include "output/column_widths.h"

namespace {
// A folder's children start in a block this small: most folders hold a few entries.
constexpr size_t kFirstChildBlock = 128;
}  // namespace

StreamedChart::StreamedChart(Platform& platform, const AppOptions& options, TreeItem& root,
                             std::vector<SharedFile>& shared_files,
                             std::function<void()> before_lines)
    : platform_(platform),
      options_(options),
      root_(root),
      shared_files_(shared_files),
      before_lines_(std::move(before_lines)),
      writer_(platform, options) {
  held_[&root];
  // The root's line comes before the walk ends, where the scan marks it: it is a folder however
  // the walk goes.
  root.IsFolder = true;
  // A root that is never listed charts as an empty folder, summed as such.
  if (options.NeedOwnSums) SumOwnFiles(options, root);
}

TreeStore& StreamedChart::ChildStore(const TreeItem& folder) {
  HeldFolder& held = held_[&folder];
  held.children = std::make_unique<TreeStore>(kFirstChildBlock);
  if (++held_lists_ > peak_held_lists_) peak_held_lists_ = held_lists_;
  return *held.children;
}

// Every step here reads `folder`'s own children alone, in the order AggregateTree, SortAndMarkTree
// and SetColumnWidths take them: the files counted once before the sums, the sums before the sort.
void StreamedChart::ChildrenMade(TreeItem& folder) {
  if (options_.CountDiskUsage) CountNewSharedFilesOnce(shared_files_, seen_files_);
  if (options_.NeedOwnSums) SumOwnFiles(options_, folder);
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (!child->IsFolder) continue;
    // A subfolder the walk does not enter keeps these sums of no files.
    if (options_.NeedOwnSums) SumOwnFiles(options_, *child);
    // Below the depth shown, nothing is written: only the walk is waited for.
    held_[child].is_written = child->Level > options_.MaxDepth;
  }
  SortAndMarkChildren(options_, folder, sort_room_);
  SetFolderFileColumns(platform_, options_, folder);
  held_[&folder].is_listed = true;
  WriteReadyLines();
}

void StreamedChart::FolderWalked(TreeItem& folder) {
  held_[&folder].is_walked = true;
  ReleaseIfDone(folder);
  WriteReadyLines();
}

void StreamedChart::NoteWritten(const TreeItem& folder) {
  held_[&folder].is_written = true;
  ReleaseIfDone(folder);
}

void StreamedChart::ReleaseIfDone(const TreeItem& folder) {
  const auto found = held_.find(&folder);
  if (!found->second.is_walked || !found->second.is_written) return;
  if (found->second.children) --held_lists_;
  held_.erase(found);
}

// Writes `folder`'s line, then opens it where its children are shown, else leaves it written.
void StreamedChart::WriteFolderLine(TreeItem& folder, size_t depth) {
  writer_.WriteLine(folder, depth, prefix_);
  if (!folder.Children.First || depth >= static_cast<size_t>(options_.MaxDepth)) {
    NoteWritten(folder);
    return;
  }
  open_.push_back(OpenFolder{&folder, folder.Children.First, prefix_.size()});
  AppendChildPrefix(options_, folder, depth, prefix_);
}

// Writes the lines in chart order up to the first folder whose line waits for its listing (its
// sums, its children) or for the walk to pass it by.
void StreamedChart::WriteReadyLines() {
  before_lines_();
  auto is_ready = [this](const TreeItem& folder) {
    const HeldFolder& held = held_.at(&folder);
    return held.is_listed || held.is_walked;
  };
  if (!is_root_written_) {
    if (!is_ready(root_)) return;
    is_root_written_ = true;
    WriteFolderLine(root_, 0);
  }
  while (!open_.empty()) {
    OpenFolder& open = open_.back();
    TreeItem* item = open.next;
    if (!item) {
      TreeItem& folder = *open.folder;
      prefix_.resize(open.prefix_length);
      open_.pop_back();
      NoteWritten(folder);
      continue;
    }
    if (item->IsFolder && !is_ready(*item)) return;
    open.next = item->NextSibling;
    const size_t depth = open_.size();
    if (item->IsFolder) {
      WriteFolderLine(*item, depth);
    } else {
      writer_.WriteLine(*item, depth, prefix_);
    }
  }
}
