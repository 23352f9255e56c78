// Whole runs with the options beyond the classic ones: the depth shown, dot-folders, exclusion
// patterns and sizes in units of 1,024 (against the system's own disk usage tool).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

// Depth 0 is the root line alone, depth 1 its children; the totals below count everything,
// so the root's total is the same at every depth.
TEST(ChartExtensions, DepthZeroOneAndTwoWithAndWithoutTotals) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/x", 100) && tree.MakeFile("r/S/T/deep/y", 50) &&
              tree.MakeFile("r/U/V/w", 1000));
  const std::string root_total = "r（累計 3 ファイル 1,150 バイト）";
  const struct {
    std::vector<std::string> options;
    std::vector<std::string> lines;
  } rows[] = {
      {{"/L=0"}, {"r"}},
      {{"/Depth=0", "/Total"}, {root_total}},
      {{"/L=1"}, {"r", "├─S", "└─U"}},
      {{"/l=1", "/Total"},
       {root_total, "├─S（累計 1 ファイル 50 バイト）", "└─U（累計 1 ファイル 1,000 バイト）"}},
      {{"/L=2", "/F"}, {"r", "│  x", "├─S", "│  └─T", "└─U", "    └─V"}},
      {{"/L=2", "/Total"},
       {root_total, "├─S（累計 1 ファイル 50 バイト）", "│  └─T（累計 1 ファイル 50 バイト）",
        "└─U（累計 1 ファイル 1,000 バイト）", "    └─V（累計 1 ファイル 1,000 バイト）"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.options));
    std::vector<std::string> options = row.options;
    options.push_back("/SN");
    const RunResult run = ChartR(tree, options);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(Cp932Lines(row.lines), run.out);
  }
}

TEST(ChartExtensions, DotFoldersAreChartedAndCountedOnRequest) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/.git/objects/o", 99) && tree.MakeFile("r/a/f", 5) &&
              tree.MakeFile("r/.gitignore", 20));
  const RunResult plain = ChartR(tree, {"/Total", "/SN"});
  EXPECT_EQ(Cp932Lines({"r（累計 2 ファイル 25 バイト）", "└─a（累計 1 ファイル 5 バイト）"}),
            plain.out);
  const RunResult dots = ChartR(tree, {"/Total", "/SN", "/DotFolders"});
  EXPECT_EQ(0, dots.status);
  EXPECT_EQ(Cp932Lines({
                "r（累計 3 ファイル 124 バイト）",
                "├─.git（累計 1 ファイル 99 バイト）",
                "│  └─objects（累計 1 ファイル 99 バイト）",
                "└─a（累計 1 ファイル 5 バイト）",
            }),
            dots.out);
}

// Two patterns both apply, each without regard to case, to files and to folders with all
// below them; neither counts anywhere.
TEST(ChartExtensions, TwoExcludePatternsBothApply) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/src/main.cc", 10) && tree.MakeFile("r/src/main.O", 1000) &&
              tree.MakeFile("r/Build/out/a.bin", 5000) && tree.MakeFile("r/lib.o", 7) &&
              tree.MakeFolder("r/rebuild"));
  const RunResult run = ChartR(tree, {"/F", "/Total", "/SN", "/X=*.o", "-x=build"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines({
                "r（累計 1 ファイル 10 バイト）",
                "├─rebuild（累計 0 ファイル 0 バイト）",
                "└─src（累計 1 ファイル 10 バイト）",
                "        main.cc",
            }),
            run.out);
}

// The disk usage tool's text for one file's apparent size; empty where it cannot be run.
std::string DiskUsageText(const std::string& path) {
  const std::string command = "du -h --apparent-size '" + path + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  char buffer[256] = {};
  const bool read = fgets(buffer, sizeof buffer, pipe) != nullptr;
  pclose(pipe);
  if (!read) return "";
  const std::string line = buffer;
  return line.substr(0, line.find('\t'));
}

// Each step's edges: whole bytes below 1,024, tenths below 10 of a unit, whole units above,
// rounded up, and 1,023.9K as 1.0M.
TEST(ChartExtensions, HumanSizesAreThoseOfTheDiskUsageTool) {
  const long long sizes[] = {0,       999,     1023,       1024,     1025,
                             10188,   10239,   10240,      10241,    1048473,
                             1048576, 1572864, 3435973837, 10485759, 10737418240};
  TempTree tree;
  if (DiskUsageText("/").empty()) GTEST_SKIP() << "no du here";
  std::vector<std::string> expected = {"r"};
  for (size_t i = 0; i < std::size(sizes); ++i) {
    const std::string name = "f" + std::to_string(10 + i);
    ASSERT_TRUE(tree.MakeFile("r/" + name, sizes[i]));
    const std::string usage = DiskUsageText(tree.Path("r/" + name));
    ASSERT_FALSE(usage.empty()) << name;
    expected.push_back("    " + name + " " + std::string(13 - usage.size(), ' ') + usage);
  }
  const RunResult run = ChartR(tree, {"/F", "/Size", "/Human", "/SN"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(Cp932Lines(expected), run.out);
}

}  // namespace
