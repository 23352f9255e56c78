// The total file on real folders: one appended line per run that names it, the grand total of
// every file below the charted folder in plain decimal and CR LF, and nothing at all on every
// run that does not chart, that takes the name back, or that cannot open it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

// Runs the program in the tree's own folder, where relative total-file names land.
RunResult RunIn(const TempTree& tree, const std::vector<std::string>& arguments) {
  return RunProgram(arguments, RunSettings{tree.Path(), {}});
}

TEST(ChartTotalFile, TwoRunsLeaveTwoLinesOlderFirst) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a", 5));
  RunResult run = RunIn(tree, {"r", "/OutputTotal+=t.txt"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ("r\r\n", run.out);
  EXPECT_EQ("5\r\n", ReadFileBytes(tree.Path("t.txt")));

  ASSERT_TRUE(tree.MakeFile("r/sub/b", 1234567));
  run = RunIn(tree, {"r", "/OutputTotal+=t.txt"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines({"r", "└─sub"}), run.out);
  EXPECT_EQ("5\r\n1234572\r\n", ReadFileBytes(tree.Path("t.txt")));
}

TEST(ChartTotalFile, ExistingContentIsKept) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a", 12));
  ASSERT_TRUE(tree.MakeFile("t.txt"));
  {
    FILE* file = std::fopen(tree.Path("t.txt").c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::fputs("kept\r\n", file);
    std::fclose(file);
  }
  RunResult run = RunIn(tree, {"r", "/OutputTotal=t.txt"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("kept\r\n12\r\n", ReadFileBytes(tree.Path("t.txt")));
}

TEST(ChartTotalFile, NoFilesWriteZero) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFolder("r/empty/deeper"));
  RunResult run = RunIn(tree, {"r", "/OutputTotal+=t.txt"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ("0\r\n", ReadFileBytes(tree.Path("t.txt")));
}

// The line is the root's cumulative total as the chart shows it with /Total, without the
// separators; hidden files (/F-, the default) count all the same. Absolute names here, for the
// charted folder and for the total file.
TEST(ChartTotalFile, TheRootsCumulativeTotalInPlainDecimal) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/own", 1000));
  ASSERT_TRUE(tree.MakeFile("r/a/b/c/deep", 2345678));
  ASSERT_TRUE(tree.MakeFile("r/a/side", 1));
  const std::string root = ShownPath(tree.Path("r"));
  const struct {
    const char* files;
    std::vector<std::string> lines;
  } rows[] = {
      {"/F-",
       {
           "（累計 3 ファイル 2,346,679 バイト）",
           "└─a（累計 2 ファイル 2,345,679 バイト）",
           "    └─b（累計 1 ファイル 2,345,678 バイト）",
           "        └─c（累計 1 ファイル 2,345,678 バイト）",
       }},
      {"/F",
       {
           "（累計 3 ファイル 2,346,679 バイト）",
           "│  own",
           "└─a（累計 2 ファイル 2,345,679 バイト）",
           "    │  side",
           "    └─b（累計 1 ファイル 2,345,678 バイト）",
           "        └─c（累計 1 ファイル 2,345,678 バイト）",
           "                deep",
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.files);
    TempTree out;
    RunResult run = RunProgram(
        {root, "/Total", row.files, "/SN", "/OutputTotal+=" + ShownPath(out.Path("t.txt"))},
        RunSettings{out.Path(), {}});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(root + Cp932Lines(row.lines), run.out);
    EXPECT_EQ("2346679\r\n", ReadFileBytes(out.Path("t.txt")));
  }
}

TEST(ChartTotalFile, FourGibibytesAndTenWriteTheWholeNumber) {
  TempTree tree;
  if (!tree.MakeFile("r/sub/huge", (off_t{1} << 32) + 10)) {
    GTEST_SKIP() << "this file system cannot hold a sparse file past 4 GiB";
  }
  RunResult run = RunIn(tree, {"r", "/OutputTotal+=t.txt"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ("4294967306\r\n", ReadFileBytes(tree.Path("t.txt")));
}

// Help runs and failed parses never reach the total file, wherever its option stands.
TEST(ChartTotalFile, HelpAndFailedParsesNeverCreateIt) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a", 5));
  const struct {
    std::vector<std::string> arguments;
    int status;
  } rows[] = {
      {{"r", "/H", "/OutputTotal+=t.txt"}, 0},
      {{"/OutputTotal+=t.txt", "/?", "r"}, 0},
      {{"/Verbose-", "/help", "/OutputTotal=t.txt"}, 0},
      {{"r", "/OutputTotal+=t.txt", "/X"}, 1},
      {{"/X", "r", "/OutputTotal+=t.txt"}, 1},
      {{"/OutputTotal+=t.txt", "missing"}, 1},
      {{"/OutputTotal+=t.txt", "/H", "missing"}, 1},
      {{"r", "/OutputTotal+=t.txt", "/OutputTotal"}, 1},
      {{"r", "/OutputTotal+=t.txt", "/OutputTotal+="}, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    RunResult run = RunIn(tree, row.arguments);
    EXPECT_EQ(row.status, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_FALSE(run.out.empty());
    EXPECT_FALSE(PathExists(tree.Path("t.txt")));
  }
}

// The banner with a second argument goes on to the chart, and so to the total file.
TEST(ChartTotalFile, BannerRunsThatChartWriteIt) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a", 5));
  RunResult run = RunIn(tree, {"/V", "r", "/OutputTotal+=t.txt"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ("5\r\n", ReadFileBytes(tree.Path("t.txt")));
}

// The name is every byte after the first "=", further "=" and letter case included; a later
// option on the total file replaces or takes back an earlier one.
TEST(ChartTotalFile, NameAsTypedAndTheLaterOptionDecides) {
  const struct {
    std::vector<std::string> options;
    std::vector<std::string> written;  // files that get the line, every other one stays absent
  } rows[] = {
      {{"/OutputTotal+=a=b.txt"},
       {
           "a=b.txt",
       }},
      {{"/outputtotal=MiXed.Txt"},
       {
           "MiXed.Txt",
       }},
      {{"/OutputTotal+=x.txt", "/OutputTotal-"}, {}},
      {{"/OutputTotal+=x.txt", "/OutputTotal-=y.txt"}, {}},
      {{"/OutputTotal-", "/OutputTotal+=x.txt"},
       {
           "x.txt",
       }},
      {{"/OutputTotal+=x.txt", "/OutputTotal+=y.txt"},
       {
           "y.txt",
       }},
  };
  const char* const kCandidates[] = {"a", "a=b.txt", "b.txt", "MiXed.Txt", "x.txt", "y.txt"};
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.options));
    TempTree tree;
    ASSERT_TRUE(tree.MakeFile("r/a", 42));
    std::vector<std::string> arguments{"r"};
    arguments.insert(arguments.end(), row.options.begin(), row.options.end());
    RunResult run = RunIn(tree, arguments);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ("r\r\n", run.out);
    for (const char* name : kCandidates) {
      bool is_written = false;
      for (const std::string& written : row.written) is_written = is_written || written == name;
      SCOPED_TRACE(name);
      if (is_written) {
        EXPECT_EQ("42\r\n", ReadFileBytes(tree.Path(name)));
      } else {
        EXPECT_FALSE(PathExists(tree.Path(name)));
      }
    }
  }
}

// A total file that cannot be opened is skipped without a word: the chart is printed whole and
// the status is 0.
TEST(ChartTotalFile, UnopenableTotalFileIsSkippedSilently) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a", 5));
  ASSERT_TRUE(tree.MakeFolder("r/sub"));
  ASSERT_TRUE(tree.MakeFolder("taken"));
  const std::string chart =
      Cp932Lines({"r（1 ファイル 5 バイト）", "│  a", "└─sub（0 ファイル 0 バイト）"});
  for (const char* name : {"nofolder/t.txt", "taken", "r", "r/sub"}) {
    SCOPED_TRACE(name);
    RunResult run = RunIn(tree, {"r", "/F", "/Sum", std::string("/OutputTotal+=") + name});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(chart, run.out);
  }
  EXPECT_FALSE(PathExists(tree.Path("nofolder")));
  // The folders named are still the same empty folders.
  RunResult run = RunIn(tree, {"taken", "/F"});
  EXPECT_EQ("taken\r\n", run.out);
  run = RunIn(tree, {"r", "/F"});
  EXPECT_EQ(Cp932Lines({"r", "│  a", "└─sub"}), run.out);
}

// Takes a file system off its folder when the test ends, however it ends.
struct Unmount {
  std::string path;
  ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
};

// Writes `bytes` at the end of the file at `path`; the count the system took.
size_t AppendBytes(const std::string& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
  if (fd < 0) return 0;
  size_t done = 0;
  ssize_t got;
  while (done < bytes.size() && (got = write(fd, bytes.data() + done, bytes.size() - done)) > 0) {
    done += static_cast<size_t>(got);
  }
  close(fd);
  return done;
}

// A full disk takes only the start of the line: it is cut off again, so that the next run, with
// room, adds its own line after whole lines instead of making one number of both.
TEST(ChartTotalFile, AFullDiskLeavesWholeLinesOnly) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a", 123456) && tree.MakeFolder("disk"));
  // Four pages, mounted where every process sees it (the wine server too).
  if (mount("quovrel-test", tree.Path("disk").c_str(), "tmpfs", 0, "size=16k") != 0) {
    GTEST_SKIP() << "cannot mount a 16 KiB tmpfs: " << std::strerror(errno);
  }
  const Unmount unmount{tree.Path("disk")};
  // 1,364 whole lines fill the first page but for four bytes; the filler takes the other pages.
  std::string lines;
  for (int i = 0; i < 1364; ++i) lines += "0\r\n";
  const std::string total = tree.Path("disk/t.txt");
  ASSERT_EQ(lines.size(), AppendBytes(total, lines));
  const std::string filler(16384, 'x');
  ASSERT_EQ(12288u, AppendBytes(tree.Path("disk/filler"), filler));
  // The disk takes half of an eight-byte line, as it will take half of the run's.
  ASSERT_EQ(4u, AppendBytes(total, "12345678"));
  ASSERT_EQ(0, truncate(total.c_str(), static_cast<off_t>(lines.size())));

  const std::vector<std::string> arguments = {"r", "/OutputTotal+=" + ShownPath(total)};
  RunResult run = RunIn(tree, arguments);
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ("r\r\n", run.out);
  // Sizes and ends shown, as four kilobytes of lines would bury a failure's message.
  auto end = [](const std::string& bytes) {
    return ::testing::PrintToString(bytes.substr(bytes.size() > 16 ? bytes.size() - 16 : 0));
  };
  std::string got = ReadFileBytes(total);
  EXPECT_EQ(lines.size(), got.size());
  EXPECT_TRUE(got == lines) << end(got);

  ASSERT_EQ(0, unlink(tree.Path("disk/filler").c_str()));
  run = RunIn(tree, arguments);
  EXPECT_EQ(0, run.status);
  got = ReadFileBytes(total);
  EXPECT_TRUE(got == lines + "123456\r\n") << got.size() << " bytes, ending " << end(got);
}

// A drive-relative folder ("a:sub", which on Linux is an ordinary name) is made the current
// folder while the command line is read, so a relative total file lands inside it, after the
// scan (it is not in its own total).
TEST(ChartTotalFile, DriveRelativeFolderTakesTheRelativeTotalFile) {
  if (HasRunner()) GTEST_SKIP() << "a drive letter means a drive under a runner";
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("a:sub/f", 5));
  RunResult run = RunIn(tree, {"a:sub", "/OutputTotal+=t.txt"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(tree.Path("a:sub") + "\r\n", run.out);
  EXPECT_EQ("5\r\n", ReadFileBytes(tree.Path("a:sub/t.txt")));
  EXPECT_FALSE(PathExists(tree.Path("t.txt")));
}

}  // namespace
