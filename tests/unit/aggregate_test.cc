// The aggregation: file-name and size widths, per-folder counts and sums, totals past 4 GiB.
#include "tree/aggregate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "common/app_options.h"
#include "common/tree_item.h"
#include "fake_platform.h"
#include "small_stack.h"
#include "tree/folder_scan.h"

namespace {

// A width no pass writes: names are far shorter.
constexpr uint16_t kUnwritten = 0xFFFF;

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

  // NameWidth starts at kUnwritten so that a width the pass did not write shows.
  TreeItem& File(TreeItem& parent, std::string_view name, uint64_t size = 0) {
    TreeItem* item = store_.NewItem(parent.Level + 1);
    SetItemName(store_, *item, name);
    item->Size = size;
    item->NameWidth = kUnwritten;
    AppendChild(parent, item);
    return *item;
  }

  void ShowSumsAndTotals() {
    options_.ShowSum = options_.ShowTotal = true;
    DeriveSettings(options_);
  }

  FakePlatform platform_;
  AppOptions options_;
  TreeStore store_;
  TreeItem root_{0};
};

TEST_F(AggregateTest, OwnFilesAndEverythingBelow) {
  ShowSumsAndTotals();
  root_.IsFolder = true;
  File(root_, "a", 100);
  TreeItem& sub = Folder(root_, "sub");
  File(sub, "c", 50);
  File(root_, "b", 250);
  AggregateTree(platform_, options_, root_);
  EXPECT_EQ((Sums{2, 350, 3, 400}), SumsOf(root_));
  EXPECT_EQ((Sums{1, 50, 1, 50}), SumsOf(sub));
}

TEST_F(AggregateTest, AnEmptyFolderHasZeroes) {
  ShowSumsAndTotals();
  root_.IsFolder = true;
  TreeItem& empty = Folder(root_, "empty");
  AggregateTree(platform_, options_, root_);
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
  AggregateTree(platform_, options_, root_);
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
    AggregateTree(platform_, options_, root_);
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
  AggregateTree(platform_, options_, root_);
  EXPECT_EQ((Sums{2, 4294967296, 4, 8589934593}), SumsOf(root_));
  EXPECT_EQ((Sums{2, 4294967297, 2, 4294967297}), SumsOf(sub));
}

TEST_F(AggregateTest, FilesOf4GiBKeepTheirWholeSizeThroughScanAndSums) {
  constexpr uint64_t kFourGiB = uint64_t{1} << 32;
  ShowSumsAndTotals();
  FakePlatform fake;
  fake.AddFile("C:/Work/big", kFourGiB + 10);
  fake.AddFile("C:/Work/sub/huge", 2 * kFourGiB + 5);
  ScanFolder(fake, options_, store_, SameText("C:\\Work"), root_);
  AggregateTree(platform_, options_, root_);
  TreeItem* sub = root_.Children.First;
  ASSERT_NE(nullptr, sub);
  TreeItem* big = sub->NextSibling;
  ASSERT_NE(nullptr, big);
  EXPECT_EQ(kFourGiB + 10, big->Size);
  EXPECT_EQ((Sums{1, kFourGiB + 10, 2, 3 * kFourGiB + 15}), SumsOf(root_));
  EXPECT_EQ((Sums{1, 2 * kFourGiB + 5, 1, 2 * kFourGiB + 5}), SumsOf(*sub));
}

// The size width is the length of the folder's longest size text; subfolders' sizes (here the
// size the scan gave the folder) do not count either.
TEST_F(AggregateTest, FilesTakeTheLongestFileNameAndSizeOfTheirFolderAsWidths) {
  options_.ShowSize = true;
  DeriveSettings(options_);
  root_.IsFolder = true;
  root_.NameWidth = kUnwritten;
  TreeItem& a = File(root_, "a.txt", 5);
  TreeItem& sub = Folder(root_, "a-much-longer-folder-name", 99999999999999);
  TreeItem& inner = File(sub, "b.c");
  TreeItem& longname = File(root_, "longname.doc", 12000000000000);
  TreeItem& wide = Folder(root_, "wide");
  // Five two-byte characters count 10 bytes.
  TreeItem& japanese = File(wide, "\x93\xFA\x96\x7B\x8C\xEA\x83\x74\x83\x40", 9999999999);
  TreeItem& short_name = File(wide, "x.txt", UINT64_MAX);
  AggregateTree(platform_, options_, root_);
  EXPECT_EQ(12, a.NameWidth);
  EXPECT_EQ(12, longname.NameWidth);
  EXPECT_EQ(3, inner.NameWidth);
  EXPECT_EQ(10, japanese.NameWidth);
  EXPECT_EQ(10, short_name.NameWidth);
  EXPECT_EQ(18, a.SizeWidth);  // "12,000,000,000,000"
  EXPECT_EQ(18, longname.SizeWidth);
  EXPECT_EQ(1, inner.SizeWidth);      // "0"
  EXPECT_EQ(26, japanese.SizeWidth);  // "18,446,744,073,709,551,615"
  EXPECT_EQ(26, short_name.SizeWidth);
  // Folders get no width.
  EXPECT_EQ(kUnwritten, root_.NameWidth);
  EXPECT_EQ(kUnwritten, sub.NameWidth);
  EXPECT_EQ(kUnwritten, wide.NameWidth);
}

// A UTF-8 name is measured in columns by the platform (the fake: two for a character of three
// or four bytes), so 日本語.txt (13 bytes) is 10 wide and é×7 (14 bytes) 7.
TEST_F(AggregateTest, Utf8NamesAreMeasuredInColumns) {
  options_.ShowTime = true;
  options_.Utf8 = Utf8On;
  DeriveSettings(options_);
  root_.IsFolder = true;
  TreeItem& japanese = File(root_, "日本語.txt");
  TreeItem& latin = File(root_, "ééééééé");
  TreeItem& inner = File(Folder(root_, "sub"), "ééééééé");
  AggregateTree(platform_, options_, root_);
  EXPECT_EQ(10, japanese.NameWidth);
  EXPECT_EQ(10, latin.NameWidth);
  EXPECT_EQ(7, inner.NameWidth);
}

TEST_F(AggregateTest, NoWidthsWithoutSizesOrTimes) {
  ShowSumsAndTotals();
  root_.IsFolder = true;
  TreeItem& a = File(root_, "a.txt", 1);
  TreeItem& inner = File(Folder(root_, "sub"), "b.c", 2);
  AggregateTree(platform_, options_, root_);
  EXPECT_EQ(kUnwritten, a.NameWidth);
  EXPECT_EQ(kUnwritten, inner.NameWidth);
  EXPECT_EQ((Sums{1, 1, 2, 3}), SumsOf(root_));  // the sums pass did run
}

TEST_F(AggregateTest, AVeryDeepTreeIsAggregatedWithoutDeepRecursion) {
  constexpr uint32_t kDepth = 100000;
  options_.ShowSize = true;
  ShowSumsAndTotals();
  root_.IsFolder = true;
  TreeItem* folder = &root_;
  for (uint32_t i = 0; i < kDepth; ++i) {
    File(*folder, "f", 1);
    folder = &Folder(*folder, "d");
  }
  ASSERT_TRUE(RunWithSmallStack([&] { AggregateTree(platform_, options_, root_); }));
  EXPECT_EQ((Sums{1, 1, kDepth, kDepth}), SumsOf(root_));
  EXPECT_EQ((Sums{0, 0, 0, 0}), SumsOf(*folder));
  EXPECT_EQ(1, root_.Children.First->NameWidth);
}

}  // namespace
