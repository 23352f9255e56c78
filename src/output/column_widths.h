// The file columns of the chart: how far each file's name is filled and how wide its size is.
#pragma once

#include "common/tree_item.h"

class Platform;
struct AppOptions;

// The size column's usual width, the length of "4,294,967,295".
constexpr size_t kSizeColumnWidth = 13;

// Gives each file that is drawn with a size or a time its NameFill and SizeColumnWidth, for the
// renderer to read as they are; leaves every entry alone where no file line carries a column.
// Runs once, after the sums and before printing; the order of the children does not matter.
// The platform measures names in a UTF-8 chart.
void SetColumnWidths(Platform& platform, const AppOptions& options, TreeItem& root);
// The same for the files of `folder` alone, where they are drawn, once its children are all
// made: for a chart written as the walk goes, whose columns are per folder as well.
void SetFolderFileColumns(Platform& platform, const AppOptions& options, TreeItem& folder);
