// Links: a link to an ancestor, four links to ".", a chain of 400 links, a link to a file and a
// dangling link cost well under a second, repeat no folder under itself and lose no entry. Links
// in the charted tree are each followed; below a link, a web of links is walked in bounded time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "e2e_support.h"
#include "reliability_support.h"

namespace {

constexpr char kChartOptions[] = " /A /F /Size /Sum /Total";
constexpr int kChainLength = 400;
constexpr int kRuns = 5;

bool MakeLink(TempTree& tree, const std::string& target, const std::string& rel) {
  return symlink(target.c_str(), tree.Path(rel).c_str()) == 0;
}

// 100 folders of three files in a/b/c, and a small target folder: the tree without links.
bool MakeBaseTree(TempTree& tree) {
  bool made = tree.MakeFile("a/b/c/deep.txt", 7) && tree.MakeFile("file.txt", 11) &&
              tree.MakeFile("target/t1.txt", 3) && tree.MakeFolder("chain");
  for (int i = 0; i < 100 && made; ++i) {
    const std::string folder = "bulk/f" + std::to_string(i);
    for (int j = 0; j < 3 && made; ++j) made = tree.MakeFile(folder + "/x" + std::to_string(j), j);
  }
  return made;
}

bool AddLinks(TempTree& tree) {
  bool made = MakeLink(tree, "../../..", "a/b/c/up") && MakeLink(tree, tree.Path(), "a/b/root") &&
              MakeLink(tree, ".", "dot1") && MakeLink(tree, ".", "a/dot2") &&
              MakeLink(tree, ".", "a/b/dot3") && MakeLink(tree, ".", "a/b/c/dot4") &&
              MakeLink(tree, "../file.txt", "a/tofile") && MakeLink(tree, "nowhere", "a/dangling");
  for (int i = 0; i < kChainLength && made; ++i) {
    char name[16], next[16];
    std::snprintf(name, sizeof name, "chain/l%03d", i);
    std::snprintf(next, sizeof next, "l%03d", i + 1);
    made = MakeLink(tree, i + 1 < kChainLength ? next : "../target", name);
  }
  return made;
}

// The fastest of a few runs, so that a busy machine does not decide the comparison.
double FastestRun(const std::string& root, std::string& out) {
  double fastest = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    const ShellRun run = RunShell("\"$Q\" " + ShellWord(root) + kChartOptions);
    if (run.status != 0 || !run.err.empty()) return -1;
    fastest = std::min(fastest, run.seconds);
    out = run.out;
  }
  return fastest;
}

TEST(Links, LoopsChainsAndDanglingLinksCostUnderASecondAndLoseNothing) {
  std::unique_ptr<TempTree> plain_tree = NewScratchTree(), linked_tree = NewScratchTree();
  TempTree &plain = *plain_tree, &linked = *linked_tree;
  ASSERT_TRUE(MakeBaseTree(plain) && MakeBaseTree(linked) && AddLinks(linked));
  std::string plain_out, linked_out;
  const double plain_seconds = FastestRun(plain.Path(), plain_out);
  const double linked_seconds = FastestRun(linked.Path(), linked_out);
  ASSERT_GE(plain_seconds, 0);
  ASSERT_GE(linked_seconds, 0) << "a run with links failed or wrote to standard error";
  EXPECT_LT(linked_seconds - plain_seconds, 0.5);
  RecordProperty("extra_seconds", std::to_string(linked_seconds - plain_seconds));

  ChartReader chart(false);
  ASSERT_TRUE(ReadChart(linked_out, chart)) << chart.Problem();
  EXPECT_EQ("", chart.CheckSums());
  std::map<std::string, size_t> index;
  const std::vector<std::string> paths = EntryPaths(chart);
  for (size_t i = 0; i < paths.size(); ++i) index[paths[i]] = i;
  // Each link to an entered folder is shown as an empty folder: nothing repeats under itself.
  for (const char* loop : {"a/b/c/up", "a/b/root", "dot1", "a/dot2", "a/b/dot3", "a/b/c/dot4"}) {
    ASSERT_TRUE(index.count(loop)) << loop;
    EXPECT_TRUE(chart.Entries()[index[loop]].is_folder) << loop;
    EXPECT_EQ(0u, ChildCount(chart, index[loop])) << loop;
  }
  ASSERT_TRUE(index.count("a/tofile") && index.count("a/dangling"));
  EXPECT_EQ(11u, chart.Entries()[index["a/tofile"]].size);
  EXPECT_FALSE(chart.Entries()[index["a/dangling"]].is_folder);
  // Every link of the chain is shown: those the system resolves as the target folder with its
  // file, the rest (more than 40 links deep) as entries that cannot be followed.
  int resolved = 0;
  for (int i = 0; i < kChainLength; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "chain/l%03d", i);
    ASSERT_TRUE(index.count(name)) << name;
    if (!chart.Entries()[index[name]].is_folder) continue;
    ++resolved;
    EXPECT_TRUE(index.count(std::string(name) + "/t1.txt")) << name;
  }
  EXPECT_GT(resolved, 0);
  EXPECT_EQ(4u, chart.Deepest());  // a/b/c/deep.txt, as in the tree without links
}

// Two links side by side in the charted tree lead to one folder: both show its content.
TEST(Links, EachLinkOfTheChartedTreeIsFollowed) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("data/d.txt", 5));
  ASSERT_TRUE(tree.MakeFolder("twins"));
  ASSERT_TRUE(MakeLink(tree, "../data", "twins/one") && MakeLink(tree, "../data", "twins/two"));
  const ShellRun run = RunShell("\"$Q\" " + ShellWord(tree.Path()) + kChartOptions);
  ASSERT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  ChartReader chart(false);
  ASSERT_TRUE(ReadChart(run.out, chart)) << chart.Problem();
  const std::vector<std::string> paths = EntryPaths(chart);
  for (const char* path : {"data/d.txt", "twins/one/d.txt", "twins/two/d.txt"}) {
    EXPECT_NE(paths.end(), std::find(paths.begin(), paths.end(), path)) << path;
  }
}

// Thirty levels, each with two links to the next: 2^30 paths. Below the first link each folder
// is entered once, so the chart stays small and quick.
TEST(Links, AWebOfLinksBelowALinkEnds) {
  TempTree tree;
  constexpr int kLevels = 30;
  for (int i = 0; i < kLevels; ++i) {
    const std::string level = "w" + std::to_string(i);
    ASSERT_TRUE(tree.MakeFile(level + "/file", i));
    const std::string next = "../w" + std::to_string(i + 1);
    if (i + 1 < kLevels) {
      ASSERT_TRUE(MakeLink(tree, next, level + "/left") && MakeLink(tree, next, level + "/right"));
    }
  }
  ShellSettings settings;
  settings.timeout_seconds = 30;
  const ShellRun run = RunShell("\"$Q\" " + ShellWord(tree.Path()) + kChartOptions, settings);
  ASSERT_EQ(0, run.status) << "did not end within 30 s";
  EXPECT_EQ("", run.err);
  ChartReader chart(false);
  ASSERT_TRUE(ReadChart(run.out, chart)) << chart.Problem();
  EXPECT_EQ("", chart.CheckSums());
  EXPECT_LT(chart.Entries().size(), 10000u);
  RecordProperty("lines", std::to_string(chart.Entries().size()));
}

// A link to a folder that holds the charted one would chart it again inside itself.
TEST(Links, ALinkToAFolderAboveTheChartedOneIsNotEntered) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("charted/sub/f.txt", 1) && tree.MakeFile("outside.txt", 2));
  ASSERT_TRUE(MakeLink(tree, "../..", "charted/sub/above") && MakeLink(tree, "/", "charted/slash"));
  const ShellRun run = RunShell("\"$Q\" " + ShellWord(tree.Path("charted")) + kChartOptions);
  ASSERT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  ChartReader chart(false);
  ASSERT_TRUE(ReadChart(run.out, chart)) << chart.Problem();
  const std::vector<std::string> paths = EntryPaths(chart);
  for (const char* link : {"sub/above", "slash"}) {
    const auto found = std::find(paths.begin(), paths.end(), link);
    ASSERT_NE(paths.end(), found) << link;
    EXPECT_EQ(0u, ChildCount(chart, static_cast<size_t>(found - paths.begin()))) << link;
  }
  EXPECT_EQ(5u, chart.Entries().size());  // root, slash, sub, sub/above, sub/f.txt
}

// Without any link: the charted folder bound onto a folder inside itself, in a mount namespace
// of the run's own, so the mount ends with the run. Shown, not entered.
TEST(Links, ABindMountOfTheChartedFolderInsideItself) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("a/f.txt", 4) && tree.MakeFolder("a/loop"));
  const ShellRun run = RunShell(
      "unshare -m sh -c 'mount --bind \"$1\" \"$1/a/loop\" 2>/dev/null || exit 99; "
      "exec \"$Q\" \"$1\" /A /F /Size /Sum /Total' sh " +
      ShellWord(tree.Path()));
  if (run.status == 99 || (run.status != 0 && run.out.empty())) {
    GTEST_SKIP() << "needs a mount namespace and bind mounts: " << run.err;
  }
  ASSERT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  ChartReader chart(false);
  ASSERT_TRUE(ReadChart(run.out, chart)) << chart.Problem();
  const std::vector<std::string> paths = EntryPaths(chart);
  EXPECT_EQ((std::vector<std::string>{"", "a", "a/f.txt", "a/loop"}), paths);
}

}  // namespace
