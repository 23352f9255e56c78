// Folder sums and cumulative totals on real folders, in every combination of /Sum and /Total,
// file sizes at the edges of the 13-byte column and past 4 GiB, and sums past 2^64.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

std::string Blanks(size_t count) { return std::string(count, ' '); }

// r: x1 (100), x2 (250); S: y (50), with the empty folder T; U: only the folder V, which holds
// w (1,000). So r has 2 files of 350 bytes of its own and 4 files of 1,400 bytes in all.
void MakeSumsTree(TempTree& tree) {
  ASSERT_TRUE(tree.MakeFile("r/x1", 100));
  ASSERT_TRUE(tree.MakeFile("r/x2", 250));
  ASSERT_TRUE(tree.MakeFile("r/S/y", 50));
  ASSERT_TRUE(tree.MakeFolder("r/S/T"));
  ASSERT_TRUE(tree.MakeFile("r/U/V/w", 1000));
}

TEST(ChartSums, EachCombinationOfSumAndTotal) {
  TempTree tree;
  MakeSumsTree(tree);
  // clang-format off
  const std::vector<std::string> plain = {
      "r", "├─S", "│  └─T", "└─U", "    └─V",
  };
  const std::vector<std::string> sums = {
      "r（2 ファイル 350 バイト）",
      "├─S（1 ファイル 50 バイト）",
      "│  └─T（0 ファイル 0 バイト）",
      "└─U（0 ファイル 0 バイト）",
      "    └─V（1 ファイル 1,000 バイト）",
  };
  const std::vector<std::string> totals = {
      "r（累計 4 ファイル 1,400 バイト）",
      "├─S（累計 1 ファイル 50 バイト）",
      "│  └─T（累計 0 ファイル 0 バイト）",
      "└─U（累計 1 ファイル 1,000 バイト）",
      "    └─V（累計 1 ファイル 1,000 バイト）",
  };
  const std::vector<std::string> both = {
      "r（2 ファイル 350 バイト、累計 4 ファイル 1,400 バイト）",
      "├─S（1 ファイル 50 バイト、累計 1 ファイル 50 バイト）",
      "│  └─T（0 ファイル 0 バイト、累計 0 ファイル 0 バイト）",
      "└─U（0 ファイル 0 バイト、累計 1 ファイル 1,000 バイト）",
      "    └─V（1 ファイル 1,000 バイト、累計 1 ファイル 1,000 バイト）",
  };
  const struct {
    std::vector<std::string> options;
    const std::vector<std::string>& lines;
  } rows[] = {
      {{}, plain},
      {{"/Sum-", "/Total-"}, plain},
      {{"/Sum", "/Sum-"}, plain},
      {{"/Sum"}, sums},
      {{"/sum+", "/Total-"}, sums},
      {{"/Total"}, totals},
      {{"-TOTAL+"}, totals},
      {{"/Sum", "/Total"}, both},
      {{"/Total+", "/Sum+"}, both},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.options));
    std::vector<std::string> options{"/SN"};
    options.insert(options.end(), row.options.begin(), row.options.end());
    RunResult run = ChartR(tree, options);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(Cp932Lines(row.lines), run.out);
  }
}

// Files add nothing but their own lines: the sums of a folder line are the same with /F, and a
// file line carries no summary.
TEST(ChartSums, FileLinesCarryNoSummary) {
  TempTree tree;
  MakeSumsTree(tree);
  RunResult run = ChartR(tree, {"/F", "/Sum", "/Total", "/SN"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines({
                "r（2 ファイル 350 バイト、累計 4 ファイル 1,400 バイト）",
                "│  x1",
                "│  x2",
                "├─S（1 ファイル 50 バイト、累計 1 ファイル 50 バイト）",
                "│  │  y",
                "│  └─T（0 ファイル 0 バイト、累計 0 ファイル 0 バイト）",
                "└─U（0 ファイル 0 バイト、累計 1 ファイル 1,000 バイト）",
                "    └─V（1 ファイル 1,000 バイト、累計 1 ファイル 1,000 バイト）",
                "            w",
            }),
            run.out);
}

TEST(ChartSums, EmptyRootWithSumAndTotal) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFolder("r"));
  RunResult run = ChartR(tree, {"/Sum", "/Total", "/F"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932("r（0 ファイル 0 バイト、累計 0 ファイル 0 バイト）") + "\r\n", run.out);
  // The same line as raw bytes: （0 ファイル 0 バイト、累計 0 ファイル 0 バイト）
  // clang-format off
  EXPECT_EQ(
      "r\x81\x69" "0 \x83\x74\x83\x40\x83\x43\x83\x8B 0 \x83\x6F\x83\x43\x83\x67\x81\x41"
      "\x97\xDD\x8C\x76 0 \x83\x74\x83\x40\x83\x43\x83\x8B 0 \x83\x6F\x83\x43\x83\x67\x81\x6A\r\n",
      run.out);
  // clang-format on
}

constexpr off_t k4GiB = off_t{1} << 32;
constexpr off_t k12TB = 12000000000000;
constexpr char kNoSparse[] = "this file system cannot hold a sparse file this large";

// Sizes at the edges: the column is one blank and 13 bytes, right-aligned; 4,294,967,295,
// 1,000,000,000 and 4 GiB + 10 bytes fill it. A folder with a file of 12 TB widens its own column
// to that size's 18 bytes, so its 5 GiB file stands in line with it. Sums are whole.
TEST(ChartSums, SizesInTheColumnAndInTheSums) {
  TempTree tree;
  if (!tree.MakeFile("r/wide/t12", k12TB)) GTEST_SKIP() << kNoSparse;
  ASSERT_TRUE(tree.MakeFile("r/wide/g5", 5 * (k4GiB / 4)));
  ASSERT_TRUE(tree.MakeFile("r/wide/s", 7));
  ASSERT_TRUE(tree.MakeFile("r/big/huge", k4GiB + 10));
  const struct {
    const char* name;
    off_t size;
  } files[] = {
      {"s1", 0},       {"s2", 999},        {"s3", 1000},       {"s4", 123456},
      {"s5", 1234567}, {"s6", 4294967295}, {"s7", 1000000000},
  };
  for (const auto& file : files) {
    ASSERT_TRUE(tree.MakeFile(std::string("r/z/") + file.name, file.size));
  }
  // z: 0 + 999 + 1,000 + 123,456 + 1,234,567 + 4,294,967,295 + 1,000,000,000 = 5,296,327,317;
  // wide: 12,000,000,000,000 + 5,368,709,120 + 7; r adds big's 4,294,967,306.
  RunResult run = ChartR(tree, {"/F", "/Size", "/Sum", "/Total", "/SN"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines({
                "r（0 ファイル 0 バイト、累計 11 ファイル 12,014,960,003,750 バイト）",
                "├─big（1 ファイル 4,294,967,306 バイト、累計 1 ファイル 4,294,967,306 バイト）",
                "│      huge 4,294,967,306",
                "├─wide（3 ファイル 12,005,368,709,127 バイト、"
                "累計 3 ファイル 12,005,368,709,127 バイト）",
                "│      g5  " + Blanks(5) + "5,368,709,120",
                "│      s   " + Blanks(17) + "7",
                "│      t12 12,000,000,000,000",
                "└─z（7 ファイル 5,296,327,317 バイト、累計 7 ファイル 5,296,327,317 バイト）",
                "        s1 " + Blanks(12) + "0",
                "        s2 " + Blanks(10) + "999",
                "        s3 " + Blanks(8) + "1,000",
                "        s4 " + Blanks(6) + "123,456",
                "        s5 " + Blanks(4) + "1,234,567",
                "        s6 4,294,967,295",
                "        s7 1,000,000,000",
            }),
            run.out);
}

// Sums pass 4 GiB whole: two files of 2 GiB + 5 bytes in one folder sum to 4,294,967,306, and
// two files of 4 GiB - 1 bytes in separate folders add up at their common parent.
TEST(ChartSums, SumsAndTotalsPastFourGiB) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a/f", 4294967295));
  ASSERT_TRUE(tree.MakeFile("r/b/f", 4294967295));
  ASSERT_TRUE(tree.MakeFile("r/two/x", 2147483653));
  ASSERT_TRUE(tree.MakeFile("r/two/y", 2147483653));
  RunResult run = ChartR(tree, {"/Sum", "/Total", "/SN"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  // 4,294,967,295 * 2 + 4,294,967,306 = 12,884,901,896.
  EXPECT_EQ(Cp932Lines({
                "r（0 ファイル 0 バイト、累計 4 ファイル 12,884,901,896 バイト）",
                "├─a（1 ファイル 4,294,967,295 バイト、累計 1 ファイル 4,294,967,295 バイト）",
                "├─b（1 ファイル 4,294,967,295 バイト、累計 1 ファイル 4,294,967,295 バイト）",
                "└─two（2 ファイル 4,294,967,306 バイト、累計 2 ファイル 4,294,967,306 バイト）",
            }),
            run.out);
}

// Sparse files of 2^63 - 1 bytes, the largest Linux allows, on a tmpfs where /tmp may not hold
// them: o holds three and o/sub one, p two. Wrapped at 2^64, o's 2^65 - 4 bytes would sort first.
TEST(ChartSums, SumsPast64BitsAreWhole) {
  TempTree tree("/dev/shm");
  for (const char* file : {"r/o/f1", "r/o/f2", "r/o/f3", "r/o/sub/g", "r/p/h1", "r/p/h2"}) {
    if (!tree.MakeFile(file, INT64_MAX)) GTEST_SKIP() << kNoSparse;
  }
  RunResult run = ChartR(tree, {"/Total", "/SS", "/L=1", "/Human"});
  EXPECT_EQ(Cp932Lines({"r（累計 6 ファイル 48E バイト）", "├─p（累計 2 ファイル 16E バイト）",
                        "└─o（累計 4 ファイル 32E バイト）"}),
            run.out);
  run = RunProgram({"o", "/Sum", "/Total", "/L=0", "/OutputTotal=t"}, {tree.Path("r"), {}});
  EXPECT_EQ(Cp932Lines({"o（3 ファイル 27,670,116,110,564,327,421 バイト、"
                        "累計 4 ファイル 36,893,488,147,419,103,228 バイト）"}),
            run.out);
  EXPECT_EQ("36893488147419103228\r\n", ReadFileBytes(tree.Path("r/t")));
}

}  // namespace
