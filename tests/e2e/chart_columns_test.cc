// The file columns on real folders: the name column per folder, and the 16-byte time text in
// the time zone the test sets, inside and outside the range of DOS dates.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

std::string Blanks(size_t count) { return std::string(count, ' '); }

constexpr std::time_t kMarch2010 = 1267798050;  // 2010-03-05 14:07:30 UTC
const char kMarch2010Utc[] = "2010/03/05 14:07";
const std::vector<std::string> kUtc = {"TZ=UTC"};

// A: a.txt (5) and longname.doc (1,234), beside a folder with a longer name, which does not count;
// B: x (7) and yy (0); J: ab (12,345) and 日本語.txt (3), ten bytes in code page 932.
void MakeNamesTree(TempTree& tree) {
  const struct {
    const char* path;
    off_t size;
  } files[] = {
      {"r/A/a.txt", 5}, {"r/A/longname.doc", 1234}, {"r/B/x", 7},
      {"r/B/yy", 0},    {"r/J/ab", 12345},          {"r/J/日本語.txt", 3},
  };
  for (const auto& file : files) {
    ASSERT_TRUE(tree.MakeFile(file.path, file.size));
    ASSERT_TRUE(tree.SetTime(file.path, kMarch2010));
  }
  ASSERT_TRUE(tree.MakeFolder("r/A/muchlongerfoldername"));
}

// The longest file name of each folder stands unpadded, the others are padded to it; the width
// is the folder's own. Names are padded only while a size or a time follows them.
TEST(ChartColumns, NameColumnPerFolder) {
  TempTree tree;
  MakeNamesTree(tree);
  const std::string t = kMarch2010Utc;
  // clang-format off
  const struct {
    std::vector<std::string> options;
    std::vector<std::string> lines;
  } rows[] = {
      {{"/Size"},
       {"r",
        "├─A",
        "│  │  a.txt" + Blanks(7) + " " + Blanks(12) + "5",
        "│  │  longname.doc " + Blanks(8) + "1,234",
        "│  └─muchlongerfoldername",
        "├─B",
        "│      x " + Blanks(1) + Blanks(12) + "7",
        "│      yy " + Blanks(12) + "0",
        "└─J",
        "        ab" + Blanks(8) + " " + Blanks(7) + "12,345",
        "        日本語.txt " + Blanks(12) + "3"}},
      {{"/Time"},
       {"r",
        "├─A",
        "│  │  a.txt" + Blanks(7) + " " + t,
        "│  │  longname.doc " + t,
        "│  └─muchlongerfoldername",
        "├─B",
        "│      x  " + t,
        "│      yy " + t,
        "└─J",
        "        ab" + Blanks(8) + " " + t,
        "        日本語.txt " + t}},
      {{"/Size", "/Time"},
       {"r",
        "├─A",
        "│  │  a.txt" + Blanks(7) + " " + Blanks(12) + "5 " + t,
        "│  │  longname.doc " + Blanks(8) + "1,234 " + t,
        "│  └─muchlongerfoldername",
        "├─B",
        "│      x " + Blanks(1) + Blanks(12) + "7 " + t,
        "│      yy " + Blanks(12) + "0 " + t,
        "└─J",
        "        ab" + Blanks(8) + " " + Blanks(7) + "12,345 " + t,
        "        日本語.txt " + Blanks(12) + "3 " + t}},
      // Neither sizes nor times: no padding, so no line ends in blanks; sums do not pad either.
      {{},
       {"r",
        "├─A",
        "│  │  a.txt",
        "│  │  longname.doc",
        "│  └─muchlongerfoldername",
        "├─B",
        "│      x",
        "│      yy",
        "└─J",
        "        ab",
        "        日本語.txt"}},
      {{"/Sum"},
       {"r（0 ファイル 0 バイト）",
        "├─A（2 ファイル 1,239 バイト）",
        "│  │  a.txt",
        "│  │  longname.doc",
        "│  └─muchlongerfoldername（0 ファイル 0 バイト）",
        "├─B（2 ファイル 7 バイト）",
        "│      x",
        "│      yy",
        "└─J（2 ファイル 12,348 バイト）",
        "        ab",
        "        日本語.txt"}},
  };
  // clang-format on

  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.options));
    std::vector<std::string> options{"/F", "/SN"};
    options.insert(options.end(), row.options.begin(), row.options.end());
    RunResult run = ChartR(tree, options, kUtc);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(Cp932Lines(row.lines), run.out);
  }
}

// Last-write times, with the text each should give in UTC and in Tokyo (nine hours ahead, with
// no summer time). Outside 1980 to 2107 the text follows the calendar in the same pattern.
const struct {
  const char* name;
  std::time_t seconds;
  const char* utc;
  const char* tokyo;
} kTimes[] = {
    {"t01", 1267798050, "2010/03/05 14:07", "2010/03/05 23:07"},  // 14:07:30 UTC
    {"t02", 1267765650, "2010/03/05 05:07", "2010/03/05 14:07"},  // 14:07:30 in Tokyo
    {"t03", 1267792470, "2010/03/05 12:34", "2010/03/05 21:34"},  // 12:34:30 UTC
    {"t04", 1267819200, "2010/03/05 20:00", "2010/03/06 05:00"},  // the next day in Tokyo
    {"t05", 315532800, "1980/01/01 00:00", "1980/01/01 09:00"},   // the first DOS day
    {"t06", 315500400, "1979/12/31 15:00", "1980/01/01 00:00"},
    {"t07", 315532798, "1979/12/31 23:59", "1980/01/01 08:59"},  // 23:59:58 UTC
    {"t08", 0, "1970/01/01 00:00", "1970/01/01 09:00"},
    {"t09", -299592000, "1960/07/04 12:00", "1960/07/04 21:00"},
    {"t10", 4354819080, "2107/12/31 23:58", "2108/01/01 08:58"},  // the last DOS day in UTC
    {"t11", 4354819200, "2108/01/01 00:00", "2108/01/01 09:00"},
    {"t12", 7272419696, "2200/06/15 12:34", "2200/06/15 21:34"},  // 12:34:56 UTC
};

TEST(ChartColumns, TimeTextInTheTimeZoneOfTheRun) {
  TempTree tree;
  for (const auto& time : kTimes) {
    const std::string path = std::string("r/") + time.name;
    ASSERT_TRUE(tree.MakeFile(path));
    ASSERT_TRUE(tree.SetTime(path, time.seconds)) << time.name;
  }
  const struct {
    std::vector<std::string> env;
    bool tokyo;
  } rows[] = {
      {{"TZ=UTC"}, false},
      // The classic mode's Japanese locale spells its dates with kanji, not with one separator:
      // "/" and ":" stay.
      {{"TZ=Asia/Tokyo"}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.env));
    std::vector<std::string> lines{"r"};
    for (const auto& time : kTimes) {
      lines.push_back(std::string("    ") + time.name + " " + (row.tokyo ? time.tokyo : time.utc));
    }
    RunResult run = ChartR(tree, {"/F", "/Time", "/SN"}, row.env);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(Cp932Lines(lines), run.out);
  }
}

// The seconds never reach the text: every second of one minute gives the same 16 bytes (the last
// one is left out, as the two-second step may round it up into the next minute).
TEST(ChartColumns, SecondsDoNotShow) {
  TempTree tree;
  constexpr std::time_t kMinute = 1267798020;  // 2010-03-05 14:07:00 UTC
  std::vector<std::string> lines{"r"};
  for (int second = 0; second < 59; second += 7) {
    std::string name = "s";
    name += std::to_string(10 + second);
    ASSERT_TRUE(tree.MakeFile("r/" + name));
    ASSERT_TRUE(tree.SetTime("r/" + name, kMinute + second));
    lines.push_back("    " + name + " " + kMarch2010Utc);
  }
  RunResult run = ChartR(tree, {"/F", "/Time", "/SN"}, kUtc);
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines(lines), run.out);
}

// Times show on file lines only; a folder's own time adds nothing to its line.
TEST(ChartColumns, FolderLinesCarryNoTimeOrSize) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/sub/f", 3));
  ASSERT_TRUE(tree.SetTime("r/sub/f", kMarch2010));
  ASSERT_TRUE(tree.SetTime("r/sub", kMarch2010));
  RunResult run = ChartR(tree, {"/F", "/Time", "/Size"}, kUtc);
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines({"r", "└─sub", "        f " + Blanks(12) + "3 " + kMarch2010Utc}), run.out);
}

}  // namespace
