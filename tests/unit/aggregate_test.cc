// The aggregation: per-folder counts and sums, totals past 4 GiB.
#include "tree/aggregate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "common/app_options.h"
#include "common/tree_item.h"
#include "fake_platform.h"
#include "output/column_widths.h"
#include "small_stack.h"
#include "tree/folder_scan.h"

namespace {

// The folder values the sums pass writes: own count and bytes, then the cumulative pair.
struct Sums {
  uint32_t file_count;
  uint64_t size;
  uint32_t total_files;
  uint64_t total_bytes;
  bool operator==(const Sums&) const = default;
};

Sums SumsOf(const TreeItem& folder) {
  return Sums{folder.FileCount, folder.Size, folder.TotalFiles, folder.TotalBytes};
}

void PrintTo(const Sums& sums, std::ostream* out) {
  *out << "{" << sums.file_count << ", " << sums.size << ", " << sums.total_files << ", "
       << sums.total_bytes << "}";
}

class AggregateTest : public ::testing::Test {
 protected:
  // A folder as the scan leaves it: marked, and holding the size the system gave the folder.
  TreeItem& Folder(TreeItem& parent, std::string_view name, uint64_t scanned_size = 4096) {
    TreeItem& folder = File(parent, name, scanned_size);
    folder.IsFolder = true;
    return folder;
  }

  TreeItem& File(TreeItem& parent, std::string_view name, uint64_t size = 0) {
    TreeItem* item = store_.NewItem(parent.Level + 1);
    SetItemName(store_, *item, name);
    item->Size = size;
    AppendChild(parent, item);
    return *item;
  }

  void ShowSumsAndTotals() {
    options_.ShowSum = options_.ShowTotal = true;
    DeriveSettings(options_);
  }

  AppOptions options_;
  TreeStore store_;
  TreeItem root_ = store_.MakeRoot();
};

TEST_F(AggregateTest, OwnFilesAndEverythingBelow) {
  ShowSumsAndTotals();
  root_.IsFolder = true;
  File(root_, "a", 100);
  TreeItem& sub = Folder(root_, "sub");
  File(sub, "c", 50);
  File(root_, "b", 250);
  AggregateTree(options_, root_);
  EXPECT_EQ((Sums{2, 350, 3, 400}), SumsOf(root_));
  EXPECT_EQ((Sums{1, 50, 1, 50}), SumsOf(sub));
}

TEST_F(AggregateTest, AnEmptyFolderHasZeroes) {
  ShowSumsAndTotals();
  root_.IsFolder = true;
  TreeItem& empty = Folder(root_, "empty");
  AggregateTree(options_, root_);
  EXPECT_EQ((Sums{0, 0, 0, 0}), SumsOf(empty));  // the scanned 4096 is gone
  EXPECT_EQ((Sums{0, 0, 0, 0}), SumsOf(root_));
}

TEST_F(AggregateTest, AFolderOfOnlySubfoldersTotalsThem) {
  ShowSumsAndTotals();
  root_.IsFolder = true;
  TreeItem& first = Folder(root_, "first");
  File(first, "a", 10);
  File(first, "b", 20);
  TreeItem& second = Folder(root_, "second");
  File(second, "c", 5);
  File(Folder(second, "inner"), "d", 7);
  AggregateTree(options_, root_);
  EXPECT_EQ((Sums{0, 0, 4, 42}), SumsOf(root_));
  EXPECT_EQ((Sums{2, 30, 2, 30}), SumsOf(first));
  EXPECT_EQ((Sums{1, 5, 2, 12}), SumsOf(second));
}

TEST_F(AggregateTest, TheOptionsDecideWhetherSumsAndTotalsAreMade) {
  const struct {
    const char* name;
    bool show_sum, show_total, show_size;
    int32_t sort_key;
    const char* total_file;
    Sums root;
  } rows[] = {
      // Without the sums pass the folder keeps the size the scan read for it.
      {"nothing", false, false, false, NoSort, "", {0, 4096, 0, 0}},
      {"sizes shown", false, false, true, NoSort, "", {0, 4096, 0, 0}},
      {"by time", false, false, false, SortByTime, "", {0, 4096, 0, 0}},
      {"sums shown", true, false, false, NoSort, "", {1, 100, 0, 0}},
      {"totals shown", false, true, false, NoSort, "", {1, 100, 2, 150}},
      {"by size", false, false, false, SortBySize, "", {1, 100, 2, 150}},
      {"total file", false, false, false, NoSort, "total.txt", {1, 100, 2, 150}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    options_ = AppOptions{};
    options_.ShowSum = row.show_sum;
    options_.ShowTotal = row.show_total;
    options_.ShowSize = row.show_size;
    options_.SortKey = row.sort_key;
    options_.TotalFileName = SameText(row.total_file);
    DeriveSettings(options_);
    ReleaseTree(root_, store_);
    root_.IsFolder = true;
    root_.Size = 4096;
    File(root_, "a", 100);
    File(Folder(root_, "sub"), "b", 50);
    AggregateTree(options_, root_);
    EXPECT_EQ(row.root, SumsOf(root_));
  }
}

TEST_F(AggregateTest, SumsPastFourGiBAreWhole) {
  ShowSumsAndTotals();
  root_.IsFolder = true;
  File(root_, "max", UINT32_MAX);
  File(root_, "one", 1);
  TreeItem& sub = Folder(root_, "sub");
  File(sub, "max", UINT32_MAX);
  File(sub, "two", 2);
  AggregateTree(options_, root_);
  EXPECT_EQ((Sums{2, 4294967296, 4, 8589934593}), SumsOf(root_));
  EXPECT_EQ((Sums{2, 4294967297, 2, 4294967297}), SumsOf(sub));
}

TEST_F(AggregateTest, FilesOf4GiBKeepTheirWholeSizeThroughScanAndSums) {
  constexpr uint64_t kFourGiB = uint64_t{1} << 32;
  ShowSumsAndTotals();
  FakePlatform fake;
  fake.AddFile("C:/Work/big", kFourGiB + 10);
  fake.AddFile("C:/Work/sub/huge", 2 * kFourGiB + 5);
  ScanFolder(*fake.NewFolderWalker(), fake, options_, store_, SameText("C:\\Work"), root_);
  AggregateTree(options_, root_);
  TreeItem* sub = root_.Children.First;
  ASSERT_NE(nullptr, sub);
  TreeItem* big = sub->NextSibling;
  ASSERT_NE(nullptr, big);
  EXPECT_EQ(kFourGiB + 10, big->Size);
  EXPECT_EQ((Sums{1, kFourGiB + 10, 2, 3 * kFourGiB + 15}), SumsOf(root_));
  EXPECT_EQ((Sums{1, 2 * kFourGiB + 5, 1, 2 * kFourGiB + 5}), SumsOf(*sub));
}

// Disk usage: a folder adds its own space, and a file with two names counts at the first in the
// chart's order without a sort key (files first unless folders are).
TEST_F(AggregateTest, DiskUsageCountsEachFileOnceWhereTheChartMeetsItFirst) {
  for (const bool files_first : {true, false}) {
    options_.FilesFirst = files_first;
    options_.CountDiskUsage = true;
    ShowSumsAndTotals();
    TreeStore store;
    TreeItem root = store.MakeRoot();
    FakePlatform fake;
    fake.AddFolder("C:/Work/sub").allocated = 20;
    fake.AddFile("C:/Work/sub/x").allocated = fake.AddFile("C:/Work/y").allocated = 4096;
    fake.Find("C:/Work/sub/x")->file_id = fake.Find("C:/Work/y")->file_id = 1;
    std::vector<SharedFile> shared;
    ScanFolder(*fake.NewFolderWalker(), fake, options_, store, SameText("C:/Work"), root, &shared);
    AggregateTree(options_, root, shared);
    const uint64_t root_own = files_first ? 4096 : 0;
    EXPECT_EQ((Sums{1, root_own, 2, 4096 + 20}), SumsOf(root));
  }
}

// The column widths are set by a walk of their own, pinned here beside the sums' walk.
TEST_F(AggregateTest, AVeryDeepTreeIsSummedAndMeasuredWithoutDeepRecursion) {
  constexpr uint32_t kDepth = 100000;
  options_.ShowFiles = options_.ShowSize = true;
  ShowSumsAndTotals();
  root_.IsFolder = true;
  TreeItem* folder = &root_;
  TreeItem* deepest_file = nullptr;
  for (uint32_t i = 0; i < kDepth; ++i) {
    deepest_file = &File(*folder, "f", 1);
    folder = &Folder(*folder, "d");
  }
  FakePlatform platform;
  ASSERT_TRUE(RunWithSmallStack([&] {
    AggregateTree(options_, root_);
    SetColumnWidths(platform, options_, root_);
  }));
  EXPECT_EQ((Sums{1, 1, kDepth, kDepth}), SumsOf(root_));
  EXPECT_EQ((Sums{0, 0, 0, 0}), SumsOf(*folder));
  EXPECT_EQ(kSizeColumnWidth, deepest_file->SizeColumnWidth);
}

}  // namespace
