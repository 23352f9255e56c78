// /Import of another program's saved scan charts what the folder itself charts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

// Hard links inside a folder and across two, a sparse file, a dot-folder and times of their own.
constexpr char kMakeTree[] = R"(set -e; mkdir -p r/a/deep r/b r/.dot && printf 12345 >r/a/x.txt
head -c 70000 /dev/zero >r/a/deep/big && truncate -s 3M r/b/sparse && ln r/a/x.txt r/b/hard
ln r/a/deep/big r/a/deep/big2 && printf ab >r/.dot/f && printf z >r/top.log
touch -d '2011-02-03 04:05' r/a/x.txt r/top.log)";

// Charts `options` of the tree and of its saved scan, which must agree byte for byte.
void ExpectSameCharts(const TempTree& tree, const std::string& scan,
                      std::vector<std::vector<std::string>> rows) {
  for (std::vector<std::string>& options : rows) {
    SCOPED_TRACE(::testing::PrintToString(options));
    options.push_back(tree.Path("r"));
    const RunResult folder = RunProgram(options);
    options.back() = "/Import=" + tree.Path(scan);
    const RunResult saved = RunProgram(options);
    EXPECT_EQ(0, saved.status) << saved.out << saved.err;
    EXPECT_EQ(folder.out, saved.out);
  }
}

bool HasCommand(const std::string& name) {
  return RunChild({"sh", "-c", "command -v " + name}, {EnvironmentWith({}), ""}).status == 0;
}

TEST(ChartImport, SavedScanOfAnotherProgramChartsAsTheFolderDoes) {
  if (HasRunner()) GTEST_SKIP() << "the saved scan's paths are Linux paths";
  if (!HasCommand("ncdu")) GTEST_SKIP() << "ncdu is not installed";
  TempTree tree;
  const ChildSettings in_tree{EnvironmentWith({}), tree.Path()};
  ASSERT_EQ(0, RunChild({"sh", "-c", kMakeTree}, in_tree).status);
  ASSERT_EQ(0, RunChild({"ncdu", "-q", "-e", "-o", "scan.json", tree.Path("r")}, in_tree).status);
  ExpectSameCharts(tree, "scan.json",
                   {
                       {"/F", "/Size", "/Time", "/Sum", "/Total", "/DU"},
                       {"/F", "/Size", "/Sum", "/Total", "/DU", "/Apparent", "/SS", "/Descend"},
                       {"/F", "/Sum", "/Total", "/DU", "/Human", "/Depth=1", "/X=deep", "/UTF8"},
                       {"/F", "/Size", "/Sum", "/Total", "/SE", "/DotFolders"},
                       {},  // no file kept, only counted
                       {"/F", "/Depth=1", "/DotFolders"},
                   });
}

// gdu's saved scans give folders no size and mark only the later names of a hard-linked file:
// the classic figure, each name's size, is the one they support.
TEST(ChartImport, GduSavedScanChartsEachNamesSizeAsTheFolderDoes) {
  if (HasRunner()) GTEST_SKIP() << "the saved scan's paths are Linux paths";
  if (!HasCommand("gdu")) GTEST_SKIP() << "gdu is not installed";
  TempTree tree;
  const ChildSettings in_tree{EnvironmentWith({}), tree.Path()};
  ASSERT_EQ(0, RunChild({"sh", "-c", kMakeTree}, in_tree).status);
  ASSERT_EQ(0, RunChild({"gdu", "-n", "-o", "scan.json", tree.Path("r")}, in_tree).status);
  ExpectSameCharts(tree, "scan.json",
                   {
                       {"/F", "/Size", "/Time", "/Sum", "/Total", "/DotFolders"},
                       {"/F", "/Sum", "/Total", "/SS", "/Human", "/Depth=1", "/UTF8"},
                   });
}

}  // namespace
