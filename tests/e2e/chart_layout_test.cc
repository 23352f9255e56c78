// The chart's shape, run on real folders: the worked example byte for byte in both groupings and
// both glyph sets, every case of the last-sibling marks and of the connectors, and the folder
// lines left unchanged when the files are hidden.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

// The worked example: r holds a.txt (1,234 bytes), readme.md (56), Docs (memo.txt of 2,048 and
// the empty folder Old) and the empty folder Src.
void MakeWorkedExample(TempTree& tree) {
  ASSERT_TRUE(tree.MakeFile("r/a.txt", 1234));
  ASSERT_TRUE(tree.MakeFile("r/readme.md", 56));
  ASSERT_TRUE(tree.MakeFile("r/Docs/memo.txt", 2048));
  ASSERT_TRUE(tree.MakeFolder("r/Docs/Old"));
  ASSERT_TRUE(tree.MakeFolder("r/Src"));
}

TEST(ChartLayout, WorkedExampleInBothGroupingsAndGlyphSets) {
  TempTree tree;
  MakeWorkedExample(tree);
  // The name columns: a.txt is padded to readme.md's 9 bytes, memo.txt stands alone (8 bytes);
  // each size is one blank, then 13 bytes right-aligned.
  const struct {
    std::vector<std::string> extra;
    std::vector<std::string> lines;
  } rows[] = {
      {{},
       {
           "r（2 ファイル 1,290 バイト）",
           "│  a.txt             1,234",
           "│  readme.md            56",
           "├─Docs（1 ファイル 2,048 バイト）",
           "│  │  memo.txt         2,048",
           "│  └─Old（0 ファイル 0 バイト）",
           "└─Src（0 ファイル 0 バイト）",
       }},
      {{"/FolderFirst"},
       {
           "r（2 ファイル 1,290 バイト）",
           "├─Docs（1 ファイル 2,048 バイト）",
           "│  └─Old（0 ファイル 0 バイト）",
           "│      memo.txt         2,048",
           "└─Src（0 ファイル 0 バイト）",
           "    a.txt             1,234",
           "    readme.md            56",
       }},
      {{"/A+"},
       {
           "r（2 ファイル 1,290 バイト）",
           "|   a.txt             1,234",
           "|   readme.md            56",
           "+---Docs（1 ファイル 2,048 バイト）",
           "|   |   memo.txt         2,048",
           "|   `---Old（0 ファイル 0 バイト）",
           "`---Src（0 ファイル 0 バイト）",
       }},
      {{"/A", "/OF"},
       {
           "r（2 ファイル 1,290 バイト）",
           "+---Docs（1 ファイル 2,048 バイト）",
           "|   `---Old（0 ファイル 0 バイト）",
           "|       memo.txt         2,048",
           "`---Src（0 ファイル 0 バイト）",
           "    a.txt             1,234",
           "    readme.md            56",
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.extra));
    std::vector<std::string> options{"/F", "/Size", "/Sum", "/SortByName"};
    options.insert(options.end(), row.extra.begin(), row.extra.end());
    RunResult run = ChartR(tree, options);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(Cp932Lines(row.lines), run.out);
  }
}

// The same run checked as raw bytes, so that a fault shared by the program's converter and the
// tests' one cannot hide: the glyphs 84 A0 (vertical), 84 A5 84 9F (tee), 84 A4 84 9F (corner)
// and the summary texts.
TEST(ChartLayout, WorkedExampleRawBytes) {
  TempTree tree;
  MakeWorkedExample(tree);
  RunResult run = ChartR(tree, {"/F", "/Size", "/Sum", "/SortByName"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  const std::string files = "\x83\x74\x83\x40\x83\x43\x83\x8B";  // ファイル
  const std::string bytes = "\x83\x6F\x83\x43\x83\x67";          // バイト
  const std::string open = "\x81\x69";                           // （
  const std::string close = "\x81\x6A";                          // ）
  // clang-format off
  const std::string expected =
      "r" + open + "2 " + files + " 1,290 " + bytes + close + "\r\n" +
      "\x84\xA0  a.txt             1,234\r\n"
      "\x84\xA0  readme.md            56\r\n"
      "\x84\xA5\x84\x9F" "Docs" + open + "1 " + files + " 2,048 " + bytes + close + "\r\n" +
      "\x84\xA0  \x84\xA0  memo.txt         2,048\r\n"
      "\x84\xA0  \x84\xA4\x84\x9F" "Old" + open + "0 " + files + " 0 " + bytes + close + "\r\n" +
      "\x84\xA4\x84\x9F" "Src" + open + "0 " + files + " 0 " + bytes + close + "\r\n";
  // clang-format on
  EXPECT_EQ(expected, run.out);
}

// Every row of the marks table, each in its own folder, and so every row of the connector table:
// a folder not marked last gets the tee, a marked one the corner; a file not marked last hangs on
// its folder's line, a marked one stands after four blanks.
//   a_none: no children; b_files: files only (all marked); c_subs: subfolders only (the last
//   marked); d_mixed: files and subfolders, marked by the grouping.
void MakeMarksTree(TempTree& tree) {
  ASSERT_TRUE(tree.MakeFolder("r/a_none"));
  ASSERT_TRUE(tree.MakeFile("r/b_files/f1"));
  ASSERT_TRUE(tree.MakeFile("r/b_files/f2"));
  ASSERT_TRUE(tree.MakeFolder("r/c_subs/D1/x"));
  ASSERT_TRUE(tree.MakeFolder("r/c_subs/D2"));
  ASSERT_TRUE(tree.MakeFile("r/d_mixed/f1"));
  ASSERT_TRUE(tree.MakeFile("r/d_mixed/f2"));
  ASSERT_TRUE(tree.MakeFolder("r/d_mixed/D1"));
  ASSERT_TRUE(tree.MakeFile("r/d_mixed/D2/g"));
}

struct ChartLine {
  const char* text;
  bool is_file;
};

// The lines of the marks tree with /F; without /F the same lines but the file ones.
// clang-format off
const ChartLine kFilesFirstLines[] = {
    {"r", false},
    {"├─a_none", false},
    {"├─b_files", false},
    {"│      f1", true},  // files only: every file marked, four blanks under b_files' line
    {"│      f2", true},
    {"├─c_subs", false},
    {"│  ├─D1", false},  // subfolders only: the last one marked
    {"│  │  └─x", false},
    {"│  └─D2", false},
    {"└─d_mixed", false},
    {"    │  f1", true},  // files first: no file marked, each hangs on d_mixed's line
    {"    │  f2", true},
    {"    ├─D1", false},
    {"    └─D2", false},
    {"            g", true},
};
// clang-format on

// clang-format off
const ChartLine kFoldersFirstLines[] = {
    {"r", false},
    {"├─a_none", false},
    {"├─b_files", false},
    {"│      f1", true},
    {"│      f2", true},
    {"├─c_subs", false},
    {"│  ├─D1", false},
    {"│  │  └─x", false},
    {"│  └─D2", false},
    {"└─d_mixed", false},
    {"    ├─D1", false},  // folders first: the last folder and every file after it marked
    {"    └─D2", false},
    {"            g", true},
    {"        f1", true},
    {"        f2", true},
};
// clang-format on

template <size_t N>
std::string Expected(const ChartLine (&lines)[N], bool with_files, bool ascii) {
  std::vector<std::string> texts;
  for (const ChartLine& line : lines) {
    if (line.is_file && !with_files) continue;
    std::string text = line.text;
    if (ascii) {
      // The box glyphs map one to one on the ASCII ones, four columns each.
      for (auto [box, plain] :
           {std::pair<std::string, std::string>{"├─", "+---"}, {"└─", "`---"}, {"│  ", "|   "}}) {
        for (size_t at = text.find(box); at != std::string::npos; at = text.find(box, at)) {
          text.replace(at, box.size(), plain);
          at += plain.size();
        }
      }
    }
    texts.push_back(text);
  }
  return Cp932Lines(texts);
}

TEST(ChartLayout, EveryMarkAndConnectorCase) {
  TempTree tree;
  MakeMarksTree(tree);
  const struct {
    std::vector<std::string> options;
    bool folders_first;
    bool with_files;
    bool ascii;
  } rows[] = {
      {{"/F", "/SN"}, false, true, false},
      {{"/F+", "/SN", "/FileFirst"}, false, true, false},
      {{"/F", "/SN", "/OF"}, true, true, false},
      {{"/F", "/SN", "/FolderFirst", "/A+"}, true, true, true},
      {{"/F", "/SN", "/A"}, false, true, true},
      // Hidden files: the folder lines are exactly those with files shown.
      {{"/SN"}, false, false, false},
      {{"/F-", "/SN"}, false, false, false},
      {{"/F", "/F-", "/SN", "/OF"}, true, false, false},
      {{"/F-", "/SN", "/A"}, false, false, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.options));
    RunResult run = ChartR(tree, row.options);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    const std::string expected = row.folders_first
                                     ? Expected(kFoldersFirstLines, row.with_files, row.ascii)
                                     : Expected(kFilesFirstLines, row.with_files, row.ascii);
    EXPECT_EQ(expected, run.out);
  }
}

// A root with only files: every file is marked and stands after four blanks, in either grouping.
TEST(ChartLayout, RootWithFilesOnly) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/one"));
  ASSERT_TRUE(tree.MakeFile("r/two"));
  for (const char* grouping : {"/IF", "/OF"}) {
    SCOPED_TRACE(grouping);
    RunResult run = ChartR(tree, {"/F", "/SN", grouping});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ("r\r\n    one\r\n    two\r\n", run.out);
  }
}

// Prefixes at depth: a segment per ancestor below the root, the line when that ancestor is not
// last, four blanks when it is; an entry at depth k starts 4k bytes in.
TEST(ChartLayout, DeepPrefixesFollowEachAncestor) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFolder("r/a/b/c/d"));
  ASSERT_TRUE(tree.MakeFile("r/a/b/c/d/leaf"));
  ASSERT_TRUE(tree.MakeFolder("r/a/b2"));
  ASSERT_TRUE(tree.MakeFolder("r/z"));
  RunResult run = ChartR(tree, {"/F", "/SN"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines({
                "r",
                "├─a",
                "│  ├─b",
                "│  │  └─c",
                "│  │      └─d",
                "│  │              leaf",
                "│  └─b2",
                "└─z",
            }),
            run.out);
}

TEST(ChartLayout, EmptyRootIsTheRootLineAlone) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFolder("r"));
  RunResult run = ChartR(tree, {"/F", "/Size", "/Time"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ("r\r\n", run.out);
}

}  // namespace
