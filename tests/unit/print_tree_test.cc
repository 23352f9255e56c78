// The chart: whole output compared byte for byte for the connector, mark, summary and column
// rules, the worked example in both groupings and glyph sets, and a very deep tree.
#include "output/print_tree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/app_options.h"
#include "common/tree_item.h"
#include "fake_platform.h"
#include "order/sort_tree.h"
#include "output/column_widths.h"

namespace {

// 2010-03-05 14:07:30 as a local file time.
constexpr uint64_t kMarch5th = 129122716500000000;

std::string Blanks(size_t count) { return std::string(count, ' '); }

// The expected output: readable UTF-8 lines, each ended by CR LF, in code page 932.
std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return Cp932(text);
}

class PrintTreeTest : public ::testing::Test {
 protected:
  PrintTreeTest() {
    root_ = std::make_unique<TreeItem>(store_.MakeRoot());
    root_->IsFolder = true;
    SetItemName(store_, *root_, "C:\\Work");
  }

  TreeItem* Add(TreeItem& parent, std::string_view name, bool folder) {
    TreeItem* item = store_.NewItem(parent.Level + 1);
    item->IsFolder = folder;
    std::string key(name);
    platform_.LowerCase(key.data(), key.size());
    size_t dot = key.rfind('.');
    SetItemNameAndKeys(store_, *item, name, key, dot == std::string::npos ? key.size() : dot);
    AppendChild(parent, item);
    return item;
  }
  TreeItem* Folder(TreeItem& parent, std::string_view name) { return Add(parent, name, true); }
  TreeItem* File(TreeItem& parent, std::string_view name, uint64_t size = 0) {
    TreeItem* item = Add(parent, name, false);
    item->Size = size;
    item->WriteTime = MakeFileTime(kMarch5th);
    return item;
  }
  static void SetSums(TreeItem& folder, uint32_t count, uint64_t bytes, uint32_t total_count,
                      uint64_t total_bytes) {
    folder.FileCount = count;
    folder.Size = bytes;
    folder.TotalFiles = total_count;
    folder.TotalBytes = total_bytes;
  }

  // The tree of the worked example, in scan order: subfolders first, then files.
  void BuildWorkedExample() {
    TreeItem* docs = Folder(*root_, "Docs");
    Folder(*docs, "Old");
    File(*docs, "memo.txt", 2048);
    Folder(*root_, "Src");
    File(*root_, "a.txt", 1234);
    File(*root_, "readme.md", 56);
    SetSums(*root_, 2, 1290, 3, 3338);
    SetSums(*docs, 1, 2048, 1, 2048);
  }

  // The options of the worked example: /F /Size /Sum /SortByName.
  void WorkedExampleOptions() {
    options_.ShowFiles = true;
    options_.ShowSize = true;
    options_.ShowSum = true;
    options_.SortKey = SortByName;
  }

  // Sorts, marks, sets the column widths and prints as the run driver does. Without a sort key
  // the children keep the order they were added in within each kind.
  std::string Chart() {
    DeriveSettings(options_);
    SortAndMarkTree(options_, *root_);
    SetColumnWidths(platform_, options_, *root_);
    PrintTree(platform_, options_, *root_);
    return platform_.output;
  }

  AppOptions options_;
  FakePlatform platform_;
  TreeStore store_;
  std::unique_ptr<TreeItem> root_;
};

TEST_F(PrintTreeTest, WorkedExampleFilesFirst) {
  BuildWorkedExample();
  WorkedExampleOptions();
  EXPECT_EQ(Lines({
                "C:\\Work（2 ファイル 1,290 バイト）",
                "│  a.txt" + Blanks(13) + "1,234",
                "│  readme.md" + Blanks(12) + "56",
                "├─Docs（1 ファイル 2,048 バイト）",
                "│  │  memo.txt" + Blanks(9) + "2,048",
                "│  └─Old（0 ファイル 0 バイト）",
                "└─Src（0 ファイル 0 バイト）",
            }),
            Chart());
}

TEST_F(PrintTreeTest, WorkedExampleFoldersFirst) {
  BuildWorkedExample();
  WorkedExampleOptions();
  options_.FilesFirst = false;
  EXPECT_EQ(Lines({
                "C:\\Work（2 ファイル 1,290 バイト）",
                "├─Docs（1 ファイル 2,048 バイト）",
                "│  └─Old（0 ファイル 0 バイト）",
                "│      memo.txt" + Blanks(9) + "2,048",
                "└─Src（0 ファイル 0 バイト）",
                "    a.txt" + Blanks(13) + "1,234",
                "    readme.md" + Blanks(12) + "56",
            }),
            Chart());
}

TEST_F(PrintTreeTest, WorkedExampleAsciiGlyphs) {
  BuildWorkedExample();
  WorkedExampleOptions();
  options_.UseAsciiGlyphs = true;
  EXPECT_EQ(Lines({
                "C:\\Work（2 ファイル 1,290 バイト）",
                "|   a.txt" + Blanks(13) + "1,234",
                "|   readme.md" + Blanks(12) + "56",
                "+---Docs（1 ファイル 2,048 バイト）",
                "|   |   memo.txt" + Blanks(9) + "2,048",
                "|   `---Old（0 ファイル 0 バイト）",
                "`---Src（0 ファイル 0 バイト）",
            }),
            Chart());
}

TEST_F(PrintTreeTest, WorkedExampleAsciiFoldersFirst) {
  BuildWorkedExample();
  WorkedExampleOptions();
  options_.UseAsciiGlyphs = true;
  options_.FilesFirst = false;
  EXPECT_EQ(Lines({
                "C:\\Work（2 ファイル 1,290 バイト）",
                "+---Docs（1 ファイル 2,048 バイト）",
                "|   `---Old（0 ファイル 0 バイト）",
                "|       memo.txt" + Blanks(9) + "2,048",
                "`---Src（0 ファイル 0 バイト）",
                "    a.txt" + Blanks(13) + "1,234",
                "    readme.md" + Blanks(12) + "56",
            }),
            Chart());
}

// The same lines as raw code page 932 bytes, so that a fault of the converter cannot hide.
TEST_F(PrintTreeTest, RawBytesOfGlyphsAndSummary) {
  BuildWorkedExample();
  WorkedExampleOptions();
  options_.ShowTotal = true;
  std::string chart = Chart();
  std::string first_lines =
      "C:\\Work\x81\x69"
      "2 \x83\x74\x83\x40\x83\x43\x83\x8B 1,290 \x83\x6F\x83\x43\x83\x67\x81\x41"
      "\x97\xDD\x8C\x76 3 \x83\x74\x83\x40\x83\x43\x83\x8B 3,338 \x83\x6F\x83\x43\x83\x67\x81\x6A"
      "\r\n"
      "\x84\xA0  a.txt             1,234\r\n";
  EXPECT_EQ(first_lines, chart.substr(0, first_lines.size()));
  EXPECT_NE(std::string::npos, chart.find(std::string("\r\n\x84\xA5\x84\x9F") + "Docs"));
  EXPECT_NE(std::string::npos, chart.find(std::string("\r\n\x84\xA4\x84\x9F") + "Src"));
}

TEST_F(PrintTreeTest, WithoutFilesTheFolderLinesStayTheSame) {
  BuildWorkedExample();
  WorkedExampleOptions();
  options_.ShowFiles = false;
  EXPECT_EQ(Lines({
                "C:\\Work（2 ファイル 1,290 バイト）",
                "├─Docs（1 ファイル 2,048 バイト）",
                "│  └─Old（0 ファイル 0 バイト）",
                "└─Src（0 ファイル 0 バイト）",
            }),
            Chart());
}

struct ConnectorCase {
  const char* label;
  const char* kinds;  // children in their final order: "D" a folder, "f" a file
  std::vector<std::string> lines;
};

class ConnectorTest : public PrintTreeTest, public ::testing::WithParamInterface<ConnectorCase> {};

TEST_P(ConnectorTest, MarksAndConnectors) {
  options_.ShowFiles = true;
  options_.FilesFirst = GetParam().kinds[0] != 'D';  // the grouping that keeps this order
  int folders = 0;
  int files = 0;
  for (const char* kind = GetParam().kinds; *kind; ++kind) {
    if (*kind == 'D') {
      Folder(*root_, "D" + std::to_string(++folders));
    } else {
      File(*root_, "f" + std::to_string(++files));
    }
  }
  std::string expected = "C:\\Work\r\n";
  for (const std::string& line : GetParam().lines) expected += line + "\r\n";
  EXPECT_EQ(Cp932(expected), Chart());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, ConnectorTest,
    ::testing::Values(
        ConnectorCase{"NoChildren", "", {}},
        ConnectorCase{"OneFile", "f", {"    f1"}},
        ConnectorCase{"FilesOnly", "ff", {"    f1", "    f2"}},
        ConnectorCase{"OneFolder", "D", {"└─D1"}},
        ConnectorCase{"FoldersOnly", "DD", {"├─D1", "└─D2"}},
        ConnectorCase{"FilesFirst", "ffDD", {"│  f1", "│  f2", "├─D1", "└─D2"}},
        ConnectorCase{"FoldersFirst", "DDff", {"├─D1", "└─D2", "    f1", "    f2"}}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

// Each level adds one 4-byte segment: a vertical line where the ancestor is not last.
TEST_F(PrintTreeTest, PrefixesFollowTheAncestors) {
  options_.ShowFiles = true;
  TreeItem* d1 = Folder(*root_, "D1");
  File(*d1, "x");
  TreeItem* d11 = Folder(*d1, "D11");
  File(*d11, "y");
  TreeItem* d2 = Folder(*root_, "D2");
  TreeItem* d21 = Folder(*d2, "D21");
  File(*d21, "z");
  EXPECT_EQ(Lines({
                "C:\\Work",
                "├─D1",
                "│  │  x",
                "│  └─D11",
                "│          y",
                "└─D2",
                "    └─D21",
                "            z",
            }),
            Chart());
}

struct SummaryCase {
  const char* label;
  bool show_sum;
  bool show_total;
  const char* root_text;
  const char* folder_text;
};

class SummaryTest : public PrintTreeTest, public ::testing::WithParamInterface<SummaryCase> {};

// Sums and totals belong to folder lines only; sizes and times to file lines only.
TEST_P(SummaryTest, FolderSummaryByOption) {
  options_.ShowFiles = true;
  options_.ShowSum = GetParam().show_sum;
  options_.ShowTotal = GetParam().show_total;
  File(*root_, "f1", 5);
  TreeItem* sub = Folder(*root_, "Sub");
  SetSums(*root_, 3, 1234, 10, 56789);
  SetSums(*sub, 0, 0, 7, 18446744073709551615u);
  EXPECT_EQ(Lines({
                std::string("C:\\Work") + GetParam().root_text,
                "│  f1",
                std::string("└─Sub") + GetParam().folder_text,
            }),
            Chart());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, SummaryTest,
    ::testing::Values(
        SummaryCase{"Neither", false, false, "", ""},
        SummaryCase{"Sum", true, false, "（3 ファイル 1,234 バイト）", "（0 ファイル 0 バイト）"},
        SummaryCase{"Total", false, true, "（累計 10 ファイル 56,789 バイト）",
                    "（累計 7 ファイル 18,446,744,073,709,551,615 バイト）"},
        SummaryCase{"Both", true, true,
                    "（3 ファイル 1,234 バイト、累計 10 ファイル 56,789 バイト）",
                    "（0 ファイル 0 バイト、累計 7 ファイル 18,446,744,073,709,551,615 バイト）"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST_F(PrintTreeTest, EmptyRootWithSumAndTotal) {
  options_.ShowSum = true;
  options_.ShowTotal = true;
  EXPECT_EQ(Lines({"C:\\Work（0 ファイル 0 バイト、累計 0 ファイル 0 バイト）"}), Chart());
}

// The column is as wide as the folder's widest size text where that is longer than 13 bytes.
TEST_F(PrintTreeTest, SizeColumnIsThirteenBytesRightAlignedUnlessAFolderNeedsMore) {
  options_.ShowFiles = true;
  options_.ShowSize = true;
  const uint64_t sizes[] = {0, 999, 1000, 123456, 1234567, 1000000000, 9999999999};
  for (uint64_t size : sizes) File(*root_, "n", size);
  TreeItem* wide = Folder(*root_, "w");
  File(*wide, "n", 7);
  File(*wide, "n", 12000000000000);
  EXPECT_EQ(Lines({
                "C:\\Work",
                "│  n             0",
                "│  n           999",
                "│  n         1,000",
                "│  n       123,456",
                "│  n     1,234,567",
                "│  n 1,000,000,000",
                "│  n 9,999,999,999",
                "└─w",
                "        n                  7",
                "        n 12,000,000,000,000",
            }),
            Chart());
}

// Sizes and byte sums in units of 1,024 right-aligned in the usual column, also where whole
// numbers would widen it; the counts stay whole numbers.
TEST_F(PrintTreeTest, HumanSizesKeepTheColumnAndTheCounts) {
  options_.ShowFiles = true;
  options_.ShowSize = true;
  options_.ShowSum = true;
  options_.ShowTotal = true;
  options_.ShowHumanSizes = true;
  File(*root_, "a", 1234);
  File(*root_, "b", 12000000000000);
  SetSums(*root_, 2, 12000000001234, 1234, 1073741824);
  EXPECT_EQ(Lines({
                "C:\\Work（2 ファイル 11T バイト、累計 1,234 ファイル 1.0G バイト）",
                "    a          1.3K",
                "    b           11T",
            }),
            Chart());
}

// Nothing deeper than the depth shown is drawn, whatever the tree holds; the lines drawn are
// those of the whole chart.
TEST_F(PrintTreeTest, TheDepthShownCutsTheChart) {
  BuildWorkedExample();
  WorkedExampleOptions();
  const std::string root = "C:\\Work（2 ファイル 1,290 バイト）";
  const struct {
    int32_t depth;
    std::string lines;
  } rows[] = {
      {0, Lines({root})},
      {1, Lines({
              root,
              "│  a.txt" + Blanks(13) + "1,234",
              "│  readme.md" + Blanks(12) + "56",
              "├─Docs（1 ファイル 2,048 バイト）",
              "└─Src（0 ファイル 0 バイト）",
          })},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.depth);
    platform_.output.clear();
    options_.MaxDepth = row.depth;
    EXPECT_EQ(row.lines, Chart());
  }
}

// The longest name of a folder gets no fill; each folder has its own width; the time follows
// the padded name after one blank.
TEST_F(PrintTreeTest, NameColumnWithTimeOnly) {
  options_.ShowFiles = true;
  options_.ShowTime = true;
  File(*root_, "a.txt", 0);
  File(*root_, "longname.doc", 0);
  TreeItem* sub = Folder(*root_, "AVeryLongFolderName");
  File(*sub, "x", 0);
  EXPECT_EQ(Lines({
                "C:\\Work",
                "│  a.txt" + Blanks(7) + " 2010/03/05 14:07",
                "│  longname.doc 2010/03/05 14:07",
                "└─AVeryLongFolderName",
                "        x 2010/03/05 14:07",
            }),
            Chart());
}

TEST_F(PrintTreeTest, NameColumnWithSizeAndTime) {
  options_.ShowFiles = true;
  options_.ShowSize = true;
  options_.ShowTime = true;
  options_.FilesFirst = false;
  File(*root_, "a.txt", 1234);
  File(*root_, Cp932("ファイル名前"), 56);  // six double-byte characters: 12 bytes
  EXPECT_EQ(Lines({
                "C:\\Work",
                "    a.txt" + Blanks(7) + Blanks(9) + "1,234 2010/03/05 14:07",
                "    ファイル名前" + Blanks(12) + "56 2010/03/05 14:07",
            }),
            Chart());
}

TEST_F(PrintTreeTest, NoFillWithoutSizeOrTime) {
  options_.ShowFiles = true;
  options_.ShowSum = true;
  File(*root_, "a.txt", 1234)->NameFill = 40;  // a fill that no column follows
  EXPECT_EQ(Lines({"C:\\Work（0 ファイル 0 バイト）", "    a.txt"}), Chart());
}

TEST_F(PrintTreeTest, TimeTextUsesTheRegionalSeparators) {
  options_.ShowFiles = true;
  options_.ShowTime = true;
  platform_.date_separator = "-";
  platform_.time_separator = ".";
  File(*root_, "a", 0);
  EXPECT_EQ(Lines({"C:\\Work", "    a 2010-03-05 14.07"}), Chart());
}

TEST_F(PrintTreeTest, HiddenFilesWriteNothing) {
  options_.ShowSize = true;
  File(*root_, "a", 1);
  TreeItem* sub = Folder(*root_, "Sub");
  File(*sub, "b", 2);
  EXPECT_EQ(Lines({"C:\\Work", "└─Sub"}), Chart());
}

// Counts what is written instead of keeping it: the deep chart runs to hundreds of megabytes.
class CountingPlatform : public FakePlatform {
 public:
  void WriteLine(std::string_view line) override {
    if (lines == watched) watched_line = line;
    if (lines == watched + 1) next_line = line;
    ++lines;
    bytes += line.size();
    last_line = line;
  }
  uint64_t lines = 0;
  uint64_t bytes = 0;
  uint64_t watched = 0;
  std::string watched_line;
  std::string next_line;
  std::string last_line;
};

TEST_F(PrintTreeTest, TenThousandLevelsDeep) {
  constexpr uint64_t kDepth = 10000;
  options_.SortKey = SortByName;
  SetItemName(store_, *root_, "R");
  // Each level holds "b", a leaf, and "a", which goes on; the sort puts "a" first.
  TreeItem* folder = root_.get();
  for (uint64_t level = 0; level < kDepth; ++level) {
    Folder(*folder, "b");
    folder = Folder(*folder, "a");
  }
  DeriveSettings(options_);
  SortAndMarkTree(options_, *root_);
  CountingPlatform platform;
  platform.watched = kDepth;  // the deepest "a", then its sibling "b"
  PrintTree(platform, options_, *root_);

  const std::string kTee = "\x84\xA5\x84\x9F";
  const std::string kCorner = "\x84\xA4\x84\x9F";
  std::string segments;
  for (uint64_t d = 1; d < kDepth; ++d) segments += "\x84\xA0  ";
  EXPECT_EQ(1 + 2 * kDepth, platform.lines);
  // Every line at depth d is 4 d bytes of prefix and connector, one letter and CR LF.
  EXPECT_EQ(3 + 2 * (4 * kDepth * (kDepth + 1) / 2 + 3 * kDepth), platform.bytes);
  EXPECT_EQ(segments + kTee + "a\r\n", platform.watched_line);
  EXPECT_EQ(segments + kCorner + "b\r\n", platform.next_line);
  EXPECT_EQ(kCorner + "b\r\n", platform.last_line);
}

// A chart of many batches of lines, built beside the writing, is the one-thread chart: every
// line once, in order, none split at a batch's end.
TEST_F(PrintTreeTest, ManyBatchesGiveTheOneThreadChart) {
  WorkedExampleOptions();
  for (int i = 0; i < 40; ++i) {
    TreeItem* folder = Folder(*root_, "folder " + std::to_string(i));
    for (int j = 0; j < 200; ++j) File(*folder, "file " + std::to_string(j) + ".txt", i * j);
  }
  options_.WalkThreads = 1;
  const std::string one_thread = Chart();
  ASSERT_GT(one_thread.size(), 4u * 64 * 1024);  // more batches than are held at once
  platform_.output.clear();
  options_.WalkThreads = 0;
  EXPECT_EQ(one_thread, Chart());
}

}  // namespace

// Only names take colour: the connectors, the fill and the size column keep their bytes and
// widths, and the root is coloured as a folder.
TEST_F(PrintTreeTest, ColoredNamesKeepTheColumns) {
  options_.ShowFiles = true;
  options_.ShowSize = true;
  options_.ShowColor = true;
  platform_.environment["LS_COLORS"] = "di=1:ln=36:ex=32";
  Folder(*root_, "Src")->Kind = KindFolder;
  Folder(*root_, "lnk")->Kind = KindLink;
  File(*root_, "run", 5)->Kind = KindExecutable;
  File(*root_, "a.txt", 1234);
  EXPECT_EQ(Lines({
                "\x1b[1mC:\\Work\x1b[0m",
                "│  \x1b[32mrun\x1b[0m               5",
                "│  a.txt         1,234",
                "├─\x1b[1mSrc\x1b[0m",
                "└─\x1b[36mlnk\x1b[0m",
            }),
            Chart());
}
