// Vanishing and refused entries: removed, renamed or locked at the moment the walk reaches them
// (by a preloaded library, so without races), refused by permissions, and a tree that another
// process keeps changing during 200 runs. Never a crash or a word on standard error; every entry
// the listing returned is shown; every folder's sums equal those of the entries shown below it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>

#include "e2e_support.h"
#include "reliability_support.h"

namespace {

constexpr char kChartOptions[] = " /A /F /Size /Time /Sum /Total";
constexpr int kChurnRuns = 200;

// The preloaded library, and the sanitizer's consent to be loaded after it.
std::string Preload() {
  return std::string("LD_PRELOAD=") + ShellWord(QUOVREL_VANISH_LIBRARY) +
         " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0 ";
}

// Runs the chart of `root`, checks the run and the lines, and maps paths to entries.
struct CheckedChart {
  ChartReader chart{true};
  std::map<std::string, const ChartEntry*> at;
  size_t Children(const std::string& path) const {
    const auto found = at.find(path);
    return found == at.end() ? 0 : ChildCount(chart, found->second - &chart.Entries()[0]);
  }
};

void ChartAndCheck(const std::string& prefix, const std::string& root, CheckedChart& result) {
  const ShellRun run = RunShell(prefix + "\"$Q\" " + ShellWord(root) + kChartOptions);
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("", run.err);
  ASSERT_TRUE(ReadChart(run.out, result.chart)) << result.chart.Problem();
  EXPECT_EQ("", result.chart.CheckSums());
  const std::vector<std::string> paths = EntryPaths(result.chart);
  for (size_t i = 0; i < paths.size(); ++i) result.at[paths[i]] = &result.chart.Entries()[i];
}

TEST(Vanishing, EntriesRemovedOrRenamedAsTheWalkReachesThem) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("gone-file.txt", 10) && tree.MakeFile("keep.txt", 5) &&
              tree.MakeFolder("gone-dir") && tree.MakeFile("rmdir-x/a.txt", 1) &&
              tree.MakeFile("move-y/b.txt", 2) && tree.MakeFile("sub/gone-inner.txt", 4) &&
              tree.MakeFile("sub/kept.txt", 3));
  CheckedChart result;
  ChartAndCheck(Preload(), tree.Path(), result);
  // Each was listed, so each is shown; what could not be read any more stays at zero.
  for (const char* path : {"gone-file.txt", "keep.txt", "gone-dir", "rmdir-x", "move-y",
                           "sub/gone-inner.txt", "sub/kept.txt"}) {
    EXPECT_TRUE(result.at.count(path)) << path;
  }
  ASSERT_TRUE(result.at.count("gone-file.txt"));
  EXPECT_EQ(0u, result.at["gone-file.txt"]->size);
  EXPECT_EQ("1601/01/01 00:00", result.at["gone-file.txt"]->time);
  EXPECT_EQ(5u, result.at["keep.txt"]->size);
  for (const char* folder : {"gone-dir", "rmdir-x", "move-y"}) {
    EXPECT_EQ(0u, result.Children(folder)) << folder;
  }
  EXPECT_FALSE(result.at.count("moved-move-y"));  // renamed after the listing: not seen
  // gone-file.txt, keep.txt, sub/gone-inner.txt and sub/kept.txt; only two kept their sizes.
  EXPECT_EQ(4u, result.at[""]->total_files);
  EXPECT_EQ(8u, result.at[""]->total_bytes);
}

TEST(Vanishing, RefusedFoldersAsAnUnprivilegedUser) {
  std::string why;
  const std::string nobody = NobodyPrefix(why);
  if (nobody.empty()) GTEST_SKIP() << why;
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("open/f.txt", 6) && tree.MakeFile("unreadable/f.txt", 7) &&
              tree.MakeFile("unsearchable/f.txt", 8) && tree.MakeFolder("unsearchable/inner") &&
              tree.MakeFile("closed/f.txt", 9) && tree.MakeFile("lock-later/f.txt", 1));
  // The user the walk runs as owns this one, so the library may lock it before it is entered.
  ASSERT_EQ(0, chown(tree.Path("lock-later").c_str(), 65534, 65534));
  ASSERT_TRUE(tree.SetMode("", 0755) && tree.SetMode("unreadable", 0311) &&
              tree.SetMode("unsearchable", 0644) && tree.SetMode("closed", 0));
  CheckedChart result;
  ChartAndCheck(Preload() + nobody + " ", tree.Path(), result);
  EXPECT_EQ(6u, result.at["open/f.txt"]->size);
  // Not readable, or closed: it cannot be listed, so it is an empty folder.
  for (const char* folder : {"unreadable", "closed", "lock-later"}) {
    ASSERT_TRUE(result.at.count(folder)) << folder;
    EXPECT_EQ(0u, result.Children(folder)) << folder;
  }
  // Readable but not searchable: the names are listed, nothing about them can be read.
  ASSERT_TRUE(result.at.count("unsearchable/f.txt") && result.at.count("unsearchable/inner"));
  EXPECT_EQ(0u, result.at["unsearchable/f.txt"]->size);
  EXPECT_EQ(6u, result.at[""]->total_bytes);
}

// The charted folder itself can be found but not listed: the root line alone.
TEST(Vanishing, AnUnreadableRootIsChartedAsEmpty) {
  std::string why;
  const std::string nobody = NobodyPrefix(why);
  if (nobody.empty()) GTEST_SKIP() << why;
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("root/f.txt", 1) && tree.SetMode("", 0755) &&
              tree.SetMode("root", 0311));
  const ShellRun run = RunShell(nobody + " \"$Q\" " + ShellWord(tree.Path("root")) + " /F /Sum");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(tree.Path("root") + Cp932Text("（0 ファイル 0 バイト）") + "\r\n", run.out);
}

// With 16 descriptors the walk holds only a few folders open; the folder it is deep inside is
// renamed under it, so the way back up cannot use the old names.
TEST(Vanishing, AFolderRenamedWhileTheWalkIsInsideIt) {
  TempTree tree;
  std::string chain = "top";
  for (int level = 0; level < 60; ++level) {
    ASSERT_TRUE(tree.MakeFile(chain + "/s" + std::to_string(level) + "/f.txt", 1));
    chain += "/n";
  }
  ASSERT_TRUE(tree.MakeFolder(chain + "/bottom"));
  const std::string env =
      "QUOVREL_RENAME_ON=bottom QUOVREL_RENAME_FROM=" + ShellWord(tree.Path("top")) +
      " QUOVREL_RENAME_TO=" + ShellWord(tree.Path("top-renamed")) + " ";
  CheckedChart result;
  ChartAndCheck("ulimit -n 16; " + Preload() + env, tree.Path(), result);
  ASSERT_TRUE(PathExists(tree.Path("top-renamed"))) << "the rename did not happen";
  EXPECT_EQ(62u, result.chart.Deepest());  // top, 60 "n", then bottom
  EXPECT_FALSE(result.at.count("top-renamed"));
  // Every side folder was listed before the rename, so every one is shown.
  std::string path = "top";
  int with_file = 0;
  for (int level = 0; level < 60; ++level) {
    const std::string side = path + "/s" + std::to_string(level);
    EXPECT_TRUE(result.at.count(side)) << side;
    with_file += result.at.count(side + "/f.txt") ? 1 : 0;
    path += "/n";
  }
  RecordProperty("side_folders_listed_after_the_rename", std::to_string(with_file));
}

// The same, on a chain whose every level is reached through a link: ".." is then never the
// folder above, so the walk can only reopen closed levels by their names, and past the renamed
// one those names lead nowhere. The levels it cannot reopen keep what was listed, as empty folders.
TEST(Vanishing, AFolderRenamedUnderAWalkThroughLinks) {
  TempTree tree;
  constexpr int kLevels = 40;
  for (int level = 0; level < kLevels; ++level) {
    const std::string name = "c" + std::to_string(level);
    ASSERT_TRUE(tree.MakeFile(name + "/side/f.txt", 1));
    if (level + 1 < kLevels) {
      ASSERT_EQ(0, symlink(("../c" + std::to_string(level + 1)).c_str(),
                           tree.Path(name + "/next").c_str()));
    }
  }
  ASSERT_TRUE(tree.MakeFolder("c" + std::to_string(kLevels - 1) + "/bottom"));
  const std::string env =
      "QUOVREL_RENAME_ON=bottom QUOVREL_RENAME_FROM=" + ShellWord(tree.Path("c5")) +
      " QUOVREL_RENAME_TO=" + ShellWord(tree.Path("c5-renamed")) + " ";
  CheckedChart result;
  ChartAndCheck("ulimit -n 16; " + Preload() + env, tree.Path("c0"), result);
  ASSERT_TRUE(PathExists(tree.Path("c5-renamed"))) << "the rename did not happen";
  std::string path;
  int with_file = 0;
  for (int level = 0; level < kLevels; ++level) {
    const std::string side = path + (path.empty() ? "" : "/") + "side";
    EXPECT_TRUE(result.at.count(side)) << side;
    with_file += result.at.count(side + "/f.txt") ? 1 : 0;
    path += path.empty() ? "next" : "/next";
  }
  RecordProperty("side_folders_listed_after_the_rename", std::to_string(with_file));
}

// Another process makes, fills, renames and removes folders and files while the walk runs.
void Churn(const std::string& root) {
  for (unsigned i = 0;; ++i) {
    const std::string a = root + "/d" + std::to_string(i % 23);
    const std::string b = root + "/e" + std::to_string(i % 19);
    mkdir(a.c_str(), 0755);
    const int fd = open((a + "/f" + std::to_string(i % 7)).c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd >= 0) {
      (void)!ftruncate(fd, i % 5000);
      close(fd);
    }
    mkdir((a + "/sub").c_str(), 0755);
    rename(a.c_str(), b.c_str());
    unlink((b + "/f" + std::to_string((i + 3) % 7)).c_str());
    rmdir((b + "/sub").c_str());
    if (i % 3 == 0) rmdir(b.c_str());
    if (i % 11 == 0) chmod(b.c_str(), 0);
    if (i % 13 == 0) chmod(b.c_str(), 0755);
  }
}

TEST(Vanishing, TwoHundredRunsWhileAnotherProcessChangesTheTree) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("stable/a/one.txt", 100) && tree.MakeFile("stable/b/two.txt", 200) &&
              tree.MakeFolder("churn"));
  const pid_t churn = fork();
  ASSERT_GE(churn, 0);
  if (churn == 0) Churn(tree.Path("churn"));
  std::string why;
  const std::string nobody = NobodyPrefix(why);  // refused folders need an ordinary user
  if (!nobody.empty()) chmod(tree.Path().c_str(), 0755);
  int whole = 0;
  for (int run = 0; run < kChurnRuns; ++run) {
    const std::string prefix = !nobody.empty() && run % 2 ? nobody + " " : "";
    const ShellRun result = RunShell(prefix + "\"$Q\" " + ShellWord(tree.Path()) + kChartOptions);
    ChartReader chart(true);
    const bool read = ReadChart(result.out, chart);
    const bool good = result.status == 0 && result.err.empty() && read && chart.CheckSums().empty();
    EXPECT_TRUE(good) << "run " << run << ": status " << result.status << ", " << result.err
                      << chart.Problem() << chart.CheckSums();
    whole += good;
    if (!good) break;
  }
  kill(churn, SIGKILL);
  waitpid(churn, nullptr, 0);
  RecordProperty("runs_without_fault", std::to_string(whole) + "/" + std::to_string(kChurnRuns));
  EXPECT_EQ(kChurnRuns, whole);
}

}  // namespace
