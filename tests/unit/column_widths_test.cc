// The chart's file columns: each file's fill and size column by folder, as the options ask.
#include "output/column_widths.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string_view>

#include "common/app_options.h"
#include "common/tree_item.h"
#include "fake_platform.h"

namespace {

// A fill and a width no run writes here, so that an entry left alone shows.
constexpr uint8_t kLeft = 0xFF;
constexpr std::array<int, 4> kNone = {kLeft, kLeft, kLeft, kLeft};
constexpr int32_t kAll = kNoDepthLimit;

// Within one folder: 日本 is 6 bytes and, in a UTF-8 chart, 4 columns (the fake's measure); the
// longer folder name does not count, and "12,000,000,000,000" is 18 bytes.
TEST(SetColumnWidths, EachFolderSetsItsFilesColumnsAsTheOptionsAsk) {
  const struct {
    const char* name;
    bool files, size, time, human, utf8;
    int32_t depth;
    std::array<int, 4> columns;  // ab's fill and size column, then c's, in the subfolder
  } rows[] = {
      {"sizes", true, true, false, false, false, kAll, {4, 18, 0, 13}},
      {"times", true, false, true, false, false, kAll, {4, 18, 0, 13}},
      {"sizes in units of 1,024", true, true, false, true, false, kAll, {4, 13, 0, 13}},
      {"UTF-8 names by columns", true, true, false, false, true, kAll, {2, 18, 0, 13}},
      {"below the depth shown", true, true, false, false, false, 1, {4, 18, kLeft, kLeft}},
      {"the root's line alone", true, true, false, false, false, 0, kNone},
      {"files without columns", true, false, false, false, false, kAll, kNone},
      {"hidden files", false, true, true, false, false, kAll, kNone},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    AppOptions options;
    options.ShowFiles = row.files;
    options.ShowSize = row.size;
    options.ShowTime = row.time;
    options.ShowHumanSizes = row.human;
    options.Utf8 = row.utf8 ? Utf8On : Utf8Off;
    options.MaxDepth = row.depth;
    DeriveSettings(options);
    TreeStore store;
    TreeItem root = store.MakeRoot();
    root.IsFolder = true;
    auto add = [&](TreeItem& parent, std::string_view name, uint64_t size) -> TreeItem& {
      TreeItem* item = store.NewItem(parent.Level + 1);
      SetItemName(store, *item, name);
      item->Size = size;
      item->NameFill = item->SizeColumnWidth = kLeft;
      AppendChild(parent, item);
      return *item;
    };
    TreeItem& ab = add(root, "ab", 5);
    TreeItem& sub = add(root, "a-longer-folder-name", 99999999999999);
    sub.IsFolder = true;
    TreeItem& c = add(sub, "c", 7);
    add(root, "日本", 12000000000000);
    FakePlatform platform;
    SetColumnWidths(platform, options, root);
    EXPECT_EQ(row.columns,
              (std::array<int, 4>{ab.NameFill, ab.SizeColumnWidth, c.NameFill, c.SizeColumnWidth}));
    EXPECT_EQ(kLeft, sub.NameFill);  // folders get no widths
    ReleaseTree(root, store);
  }
}

}  // namespace
