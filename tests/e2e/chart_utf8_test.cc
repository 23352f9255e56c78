// The UTF-8 chart (/UTF8), run on real folders: the worked example with a Japanese and an emoji
// name, its columns lined up by display width; names that are no UTF-8; messages in UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

// UTF-8 lines as the program ends them: LF on Linux, CR LF on Windows.
std::string Utf8Lines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + (HasRunner() ? "\r\n" : "\n");
  return bytes;
}

// The worked example of the layout tests, with 日本語.txt (7 bytes; 13 bytes of name, 10
// columns) in r and 😀.txt (5 bytes; 8 bytes of name, 6 columns) in Docs.
void MakeWideNamesExample(TempTree& tree) {
  ASSERT_TRUE(tree.MakeFile("r/a.txt", 1234));
  ASSERT_TRUE(tree.MakeFile("r/readme.md", 56));
  ASSERT_TRUE(tree.MakeFile("r/日本語.txt", 7));
  ASSERT_TRUE(tree.MakeFile("r/Docs/memo.txt", 2048));
  ASSERT_TRUE(tree.MakeFile("r/Docs/\xF0\x9F\x98\x80.txt", 5));
  ASSERT_TRUE(tree.MakeFolder("r/Docs/Old"));
  ASSERT_TRUE(tree.MakeFolder("r/Src"));
}

// Each size column starts one blank after the folder's widest name in columns: a.txt gets five
// blanks of fill to 日本語.txt's ten columns, 😀.txt two to memo.txt's eight.
TEST(ChartUtf8, WorkedExampleLinesUpByDisplayWidth) {
  TempTree tree;
  MakeWideNamesExample(tree);
  const struct {
    std::vector<std::string> extra;
    std::vector<std::string> lines;
  } rows[] = {
      {{"/UTF8"},
       {
           "r（3 ファイル 1,297 バイト）",
           "│   a.txt              1,234",
           "│   readme.md             56",
           "│   日本語.txt             7",
           "├── Docs（2 ファイル 2,053 バイト）",
           "│   │   memo.txt         2,048",
           "│   │   😀.txt               5",
           "│   └── Old（0 ファイル 0 バイト）",
           "└── Src（0 ファイル 0 バイト）",
       }},
      {{"/utf8+", "/A", "/OF"},
       {
           "r（3 ファイル 1,297 バイト）",
           "+-- Docs（2 ファイル 2,053 バイト）",
           "|   `-- Old（0 ファイル 0 バイト）",
           "|       memo.txt         2,048",
           "|       😀.txt               5",
           "`-- Src（0 ファイル 0 バイト）",
           "    a.txt              1,234",
           "    readme.md             56",
           "    日本語.txt             7",
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.extra));
    std::vector<std::string> options{"/F", "/Size", "/Sum", "/SortByName"};
    options.insert(options.end(), row.extra.begin(), row.extra.end());
    RunResult run = ChartR(tree, options);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(Utf8Lines(row.lines), run.out);
  }
}

// The same run as raw bytes, so the tests' own literals cannot hide a fault: "├── " is
// E2 94 9C E2 94 80 E2 94 80 20, "│   " E2 94 82 and three blanks, "ファイル" E3 83 95 E3 82 A1
// E3 82 A4 E3 83 AB; /UTF8- gives code page 932 again.
TEST(ChartUtf8, RawBytesAndTheWayBack) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/Docs/\xE6\x97\xA5.txt", 3));  // 日.txt
  RunResult run = ChartR(tree, {"/F", "/Sum", "/UTF8"});
  const std::string end = HasRunner() ? "\r\n" : "\n";
  const std::string files = "\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB";
  const std::string summary = "\xEF\xBC\x88" "1 " + files + " 3 \xE3\x83\x90\xE3\x82\xA4\xE3\x83\x88\xEF\xBC\x89";
  EXPECT_EQ("r\xEF\xBC\x88" "0 " + files + " 0 \xE3\x83\x90\xE3\x82\xA4\xE3\x83\x88\xEF\xBC\x89" + end +
                "\xE2\x94\x94\xE2\x94\x80\xE2\x94\x80 Docs" + summary + end +
                "        \xE6\x97\xA5.txt" + end,
            run.out);
  run = ChartR(tree, {"/F", "/Sum", "/UTF8", "/UTF8-"});
  EXPECT_EQ(Cp932Lines({"r（0 ファイル 0 バイト）", "└─Docs（1 ファイル 3 バイト）",
                        "        日.txt"}),
            run.out);
}

// Both programs: names measured cluster by cluster, a line separator shown as "?".
TEST(ChartUtf8, ClustersAndLayoutControlsKeepTheColumns) {
  TempTree tree;
  for (const char* name : {"r/\U0001F468\u200D\U0001F469\u200D\U0001F467.txt", "r/e\u0301",
                           "r/x\u2028y", "r/u\u0378v"}) {
    ASSERT_TRUE(tree.MakeFile(name, 12345));
  }
  RunResult run = ChartR(tree, {"/F", "/Size", "/UTF8"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Utf8Lines({"r", "    e\u0301             12,345", "    u\u0378v            12,345",
                       "    x?y           12,345",
                       "    \U0001F468\u200D\U0001F469\u200D\U0001F467.txt        12,345"}),
            run.out);
}

// A message is in the chart's encoding, the echoed argument too, whatever came first.
TEST(ChartUtf8, MessagesAndEchoesAreUtf8) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFolder("r"));
  RunResult run = ChartR(tree, {"/bogus設計", "/UTF8"});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(Utf8Lines({"無効なオプションです：/BOGUS設計"}), run.out);
}

// Linux names may hold any bytes: one that is no UTF-8 shows as U+FFFD, a control byte as "?";
// the entries are still entered and counted through their own bytes.
TEST(ChartUtf8, BytesThatAreNoUtf8ShowAsReplacementCharacters) {
  if (HasRunner()) GTEST_SKIP() << "a Windows name is UTF-16";
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/bad\xFF\xFE.txt", 4));
  ASSERT_TRUE(tree.MakeFile("r/sub\x01\xC3/x.txt", 2));
  RunResult run = ChartR(tree, {"/F", "/Size", "/Total", "/UTF8"});
  EXPECT_EQ(Utf8Lines({
                "r（累計 2 ファイル 6 バイト）",
                "│   bad\xEF\xBF\xBD\xEF\xBF\xBD.txt             4",
                "└── sub?\xEF\xBF\xBD（累計 1 ファイル 2 バイト）",
                "        x.txt             2",
            }),
            run.out);
}

}  // namespace
