// Whole runs on what only the system shows: kernel file systems and another file system mounted
// inside the charted tree, links to folders with /Links-, a link to another file system with
// /OneFileSystem. Mounts are made in a mount namespace of the run's own, so they end with it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

constexpr int kNoMounts = 99;

// Runs the program in `tree` after `mounts` (a shell script, "$1" the tree) ran in a new mount
// namespace; status kNoMounts when the mounts could not be made.
RunResult RunWithMounts(const TempTree& tree, const std::string& mounts,
                        const std::vector<std::string>& arguments) {
  RunSettings settings{tree.Path(), {}};
  const std::string script = "{ " + mounts + "; } 2>/dev/null || exit 99; shift; exec \"$@\"";
  settings.wrapper = {"unshare", "-m", "sh", "-c", script, "sh", tree.Path()};
  return RunProgram(arguments, settings);
}

// Skips a test that mounts unless this system lets it (root, a mount namespace, Linux mounts).
#define SKIP_WITHOUT_MOUNTS(run)                                                     \
  if ((run).status == kNoMounts || ((run).status != 0 && (run).out.empty())) {       \
    GTEST_SKIP() << "needs a mount namespace and the right to mount: " << (run).err; \
  }

TEST(WalkRules, KernelFileSystemsInsideTheTreeAreShownEmpty) {
  if (HasRunner()) GTEST_SKIP() << "Linux mounts";
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a/f", 5) && tree.MakeFolder("r/p") && tree.MakeFolder("r/s"));
  const RunResult run = RunWithMounts(
      tree, "mount -t proc proc \"$1/r/p\" && mount -t sysfs sysfs \"$1/r/s\"", {"r", "/Total"});
  SKIP_WITHOUT_MOUNTS(run);
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines({
                "r（累計 1 ファイル 5 バイト）",
                "├─a（累計 1 ファイル 5 バイト）",
                "├─p（累計 0 ファイル 0 バイト）",
                "└─s（累計 0 ファイル 0 バイト）",
            }),
            run.out);
}

// With sizes read, the listing tells the other device before the folder is opened; without, the
// folder's own descriptor tells it.
TEST(WalkRules, OneFileSystemLeavesAMountedFolderUnentered) {
  if (HasRunner()) GTEST_SKIP() << "Linux mounts";
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a/f", 5) && tree.MakeFolder("r/m"));
  const std::string mounts =
      "mount -t tmpfs tmpfs \"$1/r/m\" && printf 1234567 >\"$1/r/m/g\" && mkdir \"$1/r/m/sub\"";
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> expected;
  } rows[] = {
      {{"r", "/Total"},
       {"r（累計 2 ファイル 12 バイト）", "├─a（累計 1 ファイル 5 バイト）",
        "└─m（累計 1 ファイル 7 バイト）", "    └─sub（累計 0 ファイル 0 バイト）"}},
      {{"r", "/Total", "/OneFileSystem"},
       {"r（累計 1 ファイル 5 バイト）", "├─a（累計 1 ファイル 5 バイト）",
        "└─m（累計 0 ファイル 0 バイト）"}},
      {{"r", "/OneFileSystem"}, {"r", "├─a", "└─m"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.arguments.back());
    const RunResult run = RunWithMounts(tree, mounts, row.arguments);
    SKIP_WITHOUT_MOUNTS(run);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(Cp932Lines(row.expected), run.out);
  }
}

// A link to a sibling folder: followed by default and with /Links+, so its files count twice;
// with /Links- shown as an empty folder, so they count once.
TEST(WalkRules, LinksMinusCountsALinkedFolderOnce) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/real/f", 100));
  ASSERT_EQ(0, symlink("real", tree.Path("r/alias").c_str()));
  const std::string followed = Cp932Lines({
      "r（累計 2 ファイル 200 バイト）",
      "├─alias（累計 1 ファイル 100 バイト）",
      "└─real（累計 1 ファイル 100 バイト）",
  });
  const struct {
    std::vector<std::string> arguments;
    std::string expected;
  } rows[] = {
      {{"r", "/Total", "/SN"}, followed},
      {{"r", "/Total", "/SN", "/Links-", "/Links"}, followed},
      {{"r", "/Total", "/SN", "/Links-"},
       Cp932Lines({
           "r（累計 1 ファイル 100 バイト）",
           "├─alias（累計 0 ファイル 0 バイト）",
           "└─real（累計 1 ファイル 100 バイト）",
       })},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.arguments.back());
    const RunResult run = RunProgram(row.arguments, RunSettings{tree.Path(), {}});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(row.expected, run.out);
  }
}

// A link to a folder on another file system (a memory one): entered by default, shown but not
// entered with /OneFileSystem, as a junction to another volume is on Windows.
TEST(WalkRules, OneFileSystemLeavesALinkToAnotherFileSystemUnentered) {
  TempTree tree;
  TempTree elsewhere("/dev/shm");
  struct stat here {};
  struct stat there {};
  if (!elsewhere.IsReady() || stat(tree.Path().c_str(), &here) != 0 ||
      stat(elsewhere.Path().c_str(), &there) != 0 || here.st_dev == there.st_dev) {
    GTEST_SKIP() << "needs /dev/shm on another file system than the temporary folder";
  }
  ASSERT_TRUE(tree.MakeFile("r/real/f", 100) && elsewhere.MakeFile("x/g", 3));
  ASSERT_EQ(0, symlink(elsewhere.Path("x").c_str(), tree.Path("r/far").c_str()));
  const RunResult all = RunProgram({"r", "/Total", "/SN"}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(Cp932Lines({
                "r（累計 2 ファイル 103 バイト）",
                "├─far（累計 1 ファイル 3 バイト）",
                "└─real（累計 1 ファイル 100 バイト）",
            }),
            all.out);
  const RunResult one =
      RunProgram({"r", "/Total", "/SN", "/OneFileSystem"}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, one.status);
  EXPECT_EQ("", one.err);
  EXPECT_EQ(Cp932Lines({
                "r（累計 1 ファイル 100 バイト）",
                "├─far（累計 0 ファイル 0 バイト）",
                "└─real（累計 1 ファイル 100 バイト）",
            }),
            one.out);
}

}  // namespace
