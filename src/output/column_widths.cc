// The file columns of the chart: the one place that decides how far each file's name is filled
// and how wide its size column is, so that the renderer only reads the widths.
//
// The folders are visited from an explicit stack rather than by recursion, so that a hierarchy
// tens of thousands of levels deep costs heap, not call stack.
#include "output/column_widths.h"

#include <cstdint>
#include <vector>

#include "common/app_options.h"
#include "common/number_width.h"
#include "platform/platform.h"

namespace {

// Every file of a folder is filled to the width of the folder's longest file name, so the size
// and time columns line up; subfolder names do not count. A code page 932 name takes as many
// columns as bytes; a UTF-8 one is measured by the platform, and only then, so the usual chart
// costs nothing more. The size column is 13 bytes, or as long as the text of the folder's
// largest file size where that is longer (10,000,000,000 bytes and up), so it stays straight
// within the folder; sizes in units of 1,024 always fit the 13 bytes.
void SetFileColumnWidths(Platform& platform, const AppOptions& options, TreeItem& folder) {
  size_t widest = 0;
  uint64_t largest = 0;
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (child->IsFolder) continue;
    const size_t width =
        options.IsUtf8Chart ? platform.DisplayWidth(child->Name()) : child->NameLength;
    child->NameFill = static_cast<uint16_t>(width);  // the name's own width until widest is known
    if (width > widest) widest = width;
    if (child->Size > largest) largest = child->Size;
  }
  size_t size_width = options.ShowHumanSizes ? 0 : GroupedNumberLength(largest);
  if (size_width < kSizeColumnWidth) size_width = kSizeColumnWidth;
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (child->IsFolder) continue;
    child->NameFill = static_cast<uint16_t>(widest - child->NameFill);
    child->SizeColumnWidth = static_cast<uint8_t>(size_width);
  }
}

// Sets `folder`'s file columns and adds to `folders_left` the subfolders whose files are drawn:
// those less deep than the depth shown.
void SetFolderColumnWidths(Platform& platform, const AppOptions& options, TreeItem& folder,
                           std::vector<TreeItem*>& folders_left) {
  SetFileColumnWidths(platform, options, folder);
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (child->IsFolder && child->Level < options.MaxDepth) folders_left.push_back(child);
  }
}

}  // namespace

void SetFolderFileColumns(Platform& platform, const AppOptions& options, TreeItem& folder) {
  if (options.ShowFiles && options.NeedItemDetails && folder.Level < options.MaxDepth) {
    SetFileColumnWidths(platform, options, folder);
  }
}

void SetColumnWidths(Platform& platform, const AppOptions& options, TreeItem& root) {
  if (!options.ShowFiles || !options.NeedItemDetails) return;
  // The root's files are drawn unless the chart is the root's line alone.
  std::vector<TreeItem*> folders_left;
  if (options.MaxDepth > 0) folders_left.push_back(&root);
  while (!folders_left.empty()) {
    TreeItem* folder = folders_left.back();
    folders_left.pop_back();
    SetFolderColumnWidths(platform, options, *folder, folders_left);
  }
}
