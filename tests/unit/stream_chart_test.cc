// The chart written as the walk goes against the chart of the whole tree, on the fake platform.
#include "output/stream_chart.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/app_options.h"
#include "fake_platform.h"
#include "front/command_line.h"
#include "order/sort_tree.h"
#include "output/column_widths.h"
#include "run_arguments.h"

namespace {

// A tree whose listing order is not its name order, with a file of two names, an unread folder,
// a link back up, a dot folder and a deep branch.
void AddTree(FakePlatform& fake) {
  fake.AddFile("C:/Work/zeta/a/b/c/d/deep.txt", 5);
  fake.AddFile("C:/Work/zeta/z1.log", 12345678901, FileTime{7, 1});
  fake.AddFile("C:/Work/zeta/z2.txt", 3, FileTime{9, 1}).file_id = 1;
  fake.AddFile("C:/Work/Alpha/b.c", 40, FileTime{1, 2}).file_id = 1;
  fake.AddFolder("C:/Work/Alpha/empty");
  fake.AddFile("C:/Work/_under/u.txt", 1);
  fake.AddFolder("C:/Work/beta/locked");
  fake.AddLink("C:/Work/beta/up", "C:/Work/zeta");
  fake.AddFile("C:/Work/.dot/hidden.txt", 2);
  fake.AddFile("C:/Work/root.TXT", 100, FileTime{3, 3}).file_id = 1;
  fake.AddFile("C:/Work/Root.b", 10, FileTime{4, 3});
  fake.refuse_listing.insert("C:/Work/beta/locked");
  // A web below a link: "B" is listed before "_A", which the order by name puts first.
  fake.AddLink("C:/Work/web", "C:/Web");
  fake.AddLink("C:/Web/B/x", "C:/Target");
  fake.AddLink("C:/Web/_A/y", "C:/Target");
  fake.AddFile("C:/Target/t.txt", 1);
}

class StreamChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_.utf8_default = true;
    fake_.classic_mode = false;
    AddTree(fake_);
  }

  void Parse(const std::vector<std::string>& args) {
    options_ = AppOptions{};
    std::vector<PathText> arguments = RunArguments(args);
    ASSERT_EQ(0, ParseCommandLine(fake_, arguments, options_));
    fake_.output.clear();
  }

  // The chart as the run draws the whole tree.
  std::string StoredChart() {
    TreeStore store;
    TreeItem root = store.MakeRoot();
    std::vector<SharedFile> shared;
    ScanFolder(*fake_.NewFolderWalker(), fake_, options_, store, options_.RootPath, root, &shared);
    AggregateTree(options_, root, shared);
    SortAndMarkTree(options_, root);
    SetItemName(store, root, options_.RootPath.Shown);
    SetColumnWidths(fake_, options_, root);
    PrintTree(fake_, options_, root);
    return TakeOutput();
  }

  std::string StreamedLines() {
    TreeStore store;
    TreeItem root = store.MakeRoot();
    SetItemName(store, root, options_.RootPath.Shown);
    std::vector<SharedFile> shared;
    StreamedChart chart(fake_, options_, root, shared, [] {});
    ScanFolder(*fake_.NewFolderWalker(), fake_, options_, store, options_.RootPath, root, &shared,
               nullptr, nullptr, &chart);
    EXPECT_EQ(0u, chart.HeldChildLists());
    peak_held_ = chart.PeakHeldChildLists();
    return TakeOutput();
  }

  std::string TakeOutput() {
    std::string output = fake_.output;
    fake_.output.clear();
    return output;
  }

  FakePlatform fake_;
  AppOptions options_;
  size_t peak_held_ = 0;
};

TEST_F(StreamChartTest, WritesTheStoredChartsBytes) {
  const std::vector<std::vector<std::string>> rows = {
      {"C:\\Work"},
      {"/F", "C:\\Work"},
      {"/F", "/Size", "/Time", "/Sum", "/SN", "C:\\Work"},
      {"/F", "/Size", "/SE", "/DESCEND", "/OF", "C:\\Work"},
      {"/F", "/Time", "/ST", "/Sum", "/Human", "C:\\Work"},
      {"/F", "/Sum", "/Size", "/DiskUsage", "/L=2", "C:\\Work"},
      {"/F", "/Sum", "/DotFolders", "/Links-", "/X=b*", "/A", "C:\\Work"},
      {"/F", "/Sum", "/L=1", "/UTF8", "/Color", "C:\\Work"},
      {"/Sum", "/L=0", "C:\\Work"},
  };
  for (const std::vector<std::string>& row : rows) {
    std::string trace;
    for (const std::string& argument : row) trace += argument + " ";
    SCOPED_TRACE(trace);
    Parse(row);
    ASSERT_TRUE(options_.IsChartStreamed);
    const std::string stored = StoredChart();
    EXPECT_EQ(stored, StreamedLines());
  }
}

// A wide tree walked in chart order: no more folders' children held than the deepest path.
TEST_F(StreamChartTest, HoldsTheOpenFoldersAlone) {
  fake_ = FakePlatform();
  fake_.classic_mode = false;
  for (int i = 0; i < 50; ++i) fake_.AddFile("C:/W/f" + std::to_string(100 + i) + "/a/b/c.txt");
  Parse({"/F", "/Size", "/SN", "C:\\W"});
  EXPECT_EQ(StoredChart(), StreamedLines());
  EXPECT_EQ(4u, peak_held_);  // C:/W, f1nn, a, b
}

// The classic mode decides a web of links in the listing's order: its sorted charts that follow
// links wait for the walk's end.
TEST_F(StreamChartTest, ClassicSortedChartsFollowingLinksWaitForTheWalk) {
  fake_.classic_mode = true;
  const std::vector<std::pair<std::vector<std::string>, bool>> rows = {
      {{"/F", "/SN", "C:\\Work"}, false},
      {{"/F", "/SN", "/Links-", "C:\\Work"}, true},
      {{"/F", "/Sum", "C:\\Work"}, true},
  };
  for (const auto& [row, is_streamed] : rows) {
    Parse(row);
    EXPECT_EQ(is_streamed, options_.IsChartStreamed) << row[1];
  }
}

}  // namespace
