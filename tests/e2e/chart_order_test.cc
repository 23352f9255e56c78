// The order of each folder's entries on real folders: every sort key ascending and descending,
// files first and folders first, the enumeration order with /NoSort, and names equal but for case.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

using Names = std::vector<std::string>;

// Times compare in UTC, whatever the zone of the machine.
const std::vector<std::string> kUtc = {"TZ=UTC"};

Names Reversed(Names names) {
  std::reverse(names.begin(), names.end());
  return names;
}

constexpr std::time_t kBase = 1433116800;  // 2015-06-01 00:00:00 UTC
constexpr std::time_t Minutes(int count) { return kBase + 60 * count; }

// Files of r: name, size, last write. Each key orders them differently, and the ties of size
// (alpha.txt, Charlie) and of time (Charlie, echo.txt) fall back to the name.
const struct {
  const char* name;
  off_t size;
  std::time_t time;
} kFiles[] = {
    {"delta.c", 50, Minutes(40)},  {"alpha.txt", 300, Minutes(10)}, {"Charlie", 300, Minutes(30)},
    {"bravo.c", 700, Minutes(20)}, {"echo.txt", 10, Minutes(30)},
};

// Folders of r, ordered by size through their cumulative totals: Apex holds 200 bytes, mid.dir
// 1,000 in its subfolder deep (none of its own), Zed 5.
void MakeOrderTree(TempTree& tree) {
  for (const auto& file : kFiles) {
    const std::string path = std::string("r/") + file.name;
    ASSERT_TRUE(tree.MakeFile(path, file.size));
    ASSERT_TRUE(tree.SetTime(path, file.time));
  }
  ASSERT_TRUE(tree.MakeFile("r/Apex/p.bin", 200));
  ASSERT_TRUE(tree.MakeFile("r/mid.dir/deep/q.bin", 1000));
  ASSERT_TRUE(tree.MakeFile("r/Zed/z.bin", 5));
  // Folder times last, as making their contents moved them.
  ASSERT_TRUE(tree.SetTime("r/Apex", Minutes(50)));
  ASSERT_TRUE(tree.SetTime("r/mid.dir", Minutes(5)));
  ASSERT_TRUE(tree.SetTime("r/Zed", Minutes(25)));
}

// The lines of one folder of the order tree and of its contents, by whether it is the last.
std::vector<std::string> FolderBlock(const std::string& name, bool is_last) {
  const std::string line = is_last ? "    " : "│  ";
  const std::string branch = is_last ? "└─" : "├─";
  if (name == "mid.dir") return {branch + name, line + "└─deep", line + "        q.bin"};
  const std::string file = name == "Apex" ? "p.bin" : "z.bin";
  return {branch + name, line + "    " + file};
}

// The chart of r with /F, its files and folders in the given orders.
std::string Render(const Names& files, const Names& folders, bool files_first,
                   bool with_blocks = true) {
  std::vector<std::string> lines{"r"};
  auto add_files = [&] {
    // A file hangs on r's line only when a folder follows it.
    const std::string connector = files_first && !folders.empty() ? "│  " : "    ";
    for (const std::string& file : files) lines.push_back(connector + file);
  };
  if (files_first) add_files();
  for (size_t i = 0; i < folders.size(); ++i) {
    const bool is_last = i + 1 == folders.size();
    if (with_blocks) {
      for (const std::string& line : FolderBlock(folders[i], is_last)) lines.push_back(line);
    } else {
      lines.push_back((is_last ? "└─" : "├─") + folders[i]);
    }
  }
  if (!files_first) add_files();
  std::string bytes;
  for (const std::string& line : lines) bytes += Cp932(line) + "\r\n";
  return bytes;
}

TEST(ChartOrder, EveryKeyInBothDirectionsAndGroupings) {
  TempTree tree;
  MakeOrderTree(tree);
  // The ascending orders, worked out by hand from the table above; descending is their reverse.
  const struct {
    std::vector<std::string> keys;  // spellings of the same key
    Names files;
    Names folders;
  } rows[] = {
      {{"/SN", "/SortByName", "/sortbyname"},
       {"alpha.txt", "bravo.c", "Charlie", "delta.c", "echo.txt"},
       {"Apex", "mid.dir", "Zed"}},
      // No extension first, then ".c", then ".txt"; equal extensions by name.
      {{"/SE", "/SortByExt"},
       {"Charlie", "bravo.c", "delta.c", "alpha.txt", "echo.txt"},
       {"Apex", "Zed", "mid.dir"}},
      // Folders by everything below them: Zed 5, Apex 200, mid.dir 1,000.
      {{"/SS", "/SortBySize"},
       {"echo.txt", "delta.c", "alpha.txt", "Charlie", "bravo.c"},
       {"Zed", "Apex", "mid.dir"}},
      {{"/ST", "/SortByTime"},
       {"alpha.txt", "bravo.c", "Charlie", "echo.txt", "delta.c"},
       {"mid.dir", "Zed", "Apex"}},
  };
  for (const auto& row : rows) {
    for (const std::string& key : row.keys) {
      for (const char* grouping : {"", "/IF", "/FileFirst", "/OF", "/FolderFirst"}) {
        for (const char* direction : {"", "/Ascend", "/Descend"}) {
          std::vector<std::string> options{"/F", key};
          if (*grouping) options.push_back(grouping);
          if (*direction) options.push_back(direction);
          SCOPED_TRACE(::testing::PrintToString(options));
          const bool files_first =
              std::string(grouping) != "/OF" && std::string(grouping) != "/FolderFirst";
          const bool descending = std::string(direction) == "/Descend";
          RunResult run = ChartR(tree, options, kUtc);
          EXPECT_EQ(0, run.status);
          EXPECT_EQ("", run.err);
          EXPECT_EQ(Render(descending ? Reversed(row.files) : row.files,
                           descending ? Reversed(row.folders) : row.folders, files_first),
                    run.out);
        }
      }
    }
  }
}

// The later of two sort options wins, and so does the later direction.
TEST(ChartOrder, LaterOptionsWin) {
  TempTree tree;
  MakeOrderTree(tree);
  const Names by_name = {"alpha.txt", "bravo.c", "Charlie", "delta.c", "echo.txt"};
  const Names by_size = {"echo.txt", "delta.c", "alpha.txt", "Charlie", "bravo.c"};
  const struct {
    std::vector<std::string> options;
    Names files;
    Names folders;
  } rows[] = {
      {{"/SS", "/SN"}, by_name, {"Apex", "mid.dir", "Zed"}},
      {{"/SN", "/SS"}, by_size, {"Zed", "Apex", "mid.dir"}},
      {{"/SN", "/Descend", "/Ascend"}, by_name, {"Apex", "mid.dir", "Zed"}},
      {{"/SN", "/Ascend", "/Descend"}, Reversed(by_name), {"Zed", "mid.dir", "Apex"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.options));
    std::vector<std::string> options{"/F"};
    options.insert(options.end(), row.options.begin(), row.options.end());
    RunResult run = ChartR(tree, options, kUtc);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(Render(row.files, row.folders, true), run.out);
  }
}

// Sizes compare as whole unsigned values: 3,000,000,000 after 1,000,000,000, and a file of
// 4 GiB + 10 bytes after both; a folder of 5 GiB ranks above one of 2 GiB, though the low 32 bits
// of 5 GiB are 1 GiB.
TEST(ChartOrder, SizesCompareWhole) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a3g", 3000000000));
  ASSERT_TRUE(tree.MakeFile("r/b1g", 1000000000));
  if (!tree.MakeFile("r/c4g", (off_t{1} << 32) + 10)) {
    GTEST_SKIP() << "this file system cannot hold a sparse file past 4 GiB";
  }
  ASSERT_TRUE(tree.MakeFile("r/d500", 500));
  TempTree folders;
  ASSERT_TRUE(folders.MakeFile("r/g2/f", off_t{2} << 30));
  ASSERT_TRUE(folders.MakeFile("r/g5/f", off_t{5} << 30));
  RunResult run = ChartR(folders, {"/SS", "/Descend"}, kUtc);
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(Cp932("r\r\n├─g5\r\n└─g2\r\n"), run.out);
  for (const char* direction : {"/Ascend", "/Descend"}) {
    SCOPED_TRACE(direction);
    const Names ascending = {"d500", "b1g", "a3g", "c4g"};
    RunResult run = ChartR(tree, {"/F", "/SS", direction}, kUtc);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(
        Render(std::string(direction) == "/Descend" ? Reversed(ascending) : ascending, {}, true),
        run.out);
  }
}

// Sets the last-write time of `rel` to `seconds` and `nanoseconds` past them.
bool SetFineTime(const TempTree& tree, const std::string& rel, std::time_t seconds,
                 long nanoseconds) {
  const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  return utimensat(AT_FDCWD, tree.Path(rel).c_str(), times, 0) == 0;
}

// Times compare to the full resolution, though the chart shows minutes: files written in the same
// minute, and in the same second, order by their time against their names.
TEST(ChartOrder, TimesWithinOneMinuteStillOrder) {
  TempTree tree;
  for (const char* name : {"a_later", "b_sooner", "c_soonest"}) {
    ASSERT_TRUE(tree.MakeFile(std::string("r/") + name));
  }
  ASSERT_TRUE(SetFineTime(tree, "r/a_later", kBase + 40, 0));
  ASSERT_TRUE(SetFineTime(tree, "r/b_sooner", kBase + 10, 500000000));
  ASSERT_TRUE(SetFineTime(tree, "r/c_soonest", kBase + 10, 250000000));
  RunResult run = ChartR(tree, {"/F", "/ST"}, kUtc);
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Render({"c_soonest", "b_sooner", "a_later"}, {}, true), run.out);
  run = ChartR(tree, {"/F", "/ST", "/Descend"}, kUtc);
  EXPECT_EQ(Render({"a_later", "b_sooner", "c_soonest"}, {}, true), run.out);
}

// On Linux the folder's entries are enumerated by name with ASCII letters upper-cased, ties by
// the raw bytes, so "_" (after "Z") comes after every letter, and "A.txt" before "a.txt". The
// name keys are lower-cased instead, which puts "_" before every letter. A Linux folder can hold
// names that differ only in case; with fully equal keys the scan order stands, or its reverse.
void MakeCaseTree(TempTree& tree) {
  for (const char* name : {"c.txt", "_u.txt", "a.txt", "B.txt", "A.txt"}) {
    const std::string path = std::string("r/") + name;
    ASSERT_TRUE(tree.MakeFile(path));
    ASSERT_TRUE(tree.SetTime(path, kBase));
  }
  for (const char* name : {"e", "_d", "D2"}) {
    const std::string path = std::string("r/") + name;
    ASSERT_TRUE(tree.MakeFolder(path));
    ASSERT_TRUE(tree.SetTime(path, kBase));
  }
}

TEST(ChartOrder, NoSortFollowsTheEnumerationOrder) {
  if (HasRunner()) GTEST_SKIP() << "the enumeration order is the Linux program's";
  TempTree tree;
  MakeCaseTree(tree);
  const Names files = {"A.txt", "a.txt", "B.txt", "c.txt", "_u.txt"};
  const Names folders = {"D2", "e", "_d"};
  const struct {
    std::vector<std::string> options;
    bool files_first;
    bool descending;
  } rows[] = {
      {{}, true, false},
      {{"/NoSort"}, true, false},
      {{"/SN", "/NoSort"}, true, false},
      {{"/Descend"}, true, true},
      {{"/NoSort", "/Descend", "/IF"}, true, true},
      {{"/OF"}, false, false},
      {{"/NoSort", "/OF", "/Descend"}, false, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.options));
    std::vector<std::string> options{"/F"};
    options.insert(options.end(), row.options.begin(), row.options.end());
    RunResult run = ChartR(tree, options, kUtc);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(Render(row.descending ? Reversed(files) : files,
                     row.descending ? Reversed(folders) : folders, row.files_first, false),
              run.out);
  }
}

TEST(ChartOrder, NamesEqualButForCaseKeepTheScanOrder) {
  if (HasRunner()) GTEST_SKIP() << "names equal but for case need a case-sensitive folder";
  TempTree tree;
  MakeCaseTree(tree);
  // Every key is equal but the name (the files have no size, one time, one extension), so each
  // key gives the name order, A.txt and a.txt in scan order.
  const Names files = {"_u.txt", "A.txt", "a.txt", "B.txt", "c.txt"};
  const Names folders = {"_d", "D2", "e"};
  for (const char* key : {"/SN", "/SE", "/SS", "/ST"}) {
    for (const char* direction : {"/Ascend", "/Descend"}) {
      for (bool files_first : {true, false}) {
        SCOPED_TRACE(std::string(key) + " " + direction + (files_first ? " /IF" : " /OF"));
        const bool descending = std::string(direction) == "/Descend";
        RunResult run = ChartR(tree, {"/F", key, direction, files_first ? "/IF" : "/OF"}, kUtc);
        EXPECT_EQ(0, run.status);
        EXPECT_EQ("", run.err);
        EXPECT_EQ(Render(descending ? Reversed(files) : files,
                         descending ? Reversed(folders) : folders, files_first, false),
                  run.out);
      }
    }
  }
}

}  // namespace
