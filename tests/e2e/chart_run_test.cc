// Whole runs on real folders: what the scan leaves out, the chart of the current folder, and a
// run whose standard output has gone away.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

std::string Blanks(size_t count) { return std::string(count, ' '); }

// Folders whose names begin with a full stop are left out with everything below them, at any
// depth, in the chart, in the sums and in the total file; files whose names begin with one stay.
TEST(ChartRun, DotFoldersAbsentDotFilesPresent) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/.gitignore", 7));
  ASSERT_TRUE(tree.MakeFile("r/.git/objects/x", 500));
  ASSERT_TRUE(tree.MakeFile("r/.git/HEAD", 20));
  ASSERT_TRUE(tree.MakeFile("r/src/.env", 3));
  ASSERT_TRUE(tree.MakeFile("r/src/main.c", 10));
  ASSERT_TRUE(tree.MakeFile("r/src/.cache/y", 100));
  ASSERT_TRUE(tree.MakeFolder("r/src/.empty"));
  ASSERT_TRUE(tree.MakeFile("r/v1.0/n", 1));  // a full stop inside the name does not count
  RunResult run = RunProgram({"r", "/F", "/Size", "/Total", "/SN", "/OutputTotal+=t.txt"},
                             RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines({
                "r（累計 4 ファイル 21 バイト）",
                "│  .gitignore " + Blanks(12) + "7",
                "├─src（累計 2 ファイル 13 バイト）",
                "│      .env   " + Blanks(12) + "3",
                "│      main.c " + Blanks(11) + "10",
                "└─v1.0（累計 1 ファイル 1 バイト）",
                "        n " + Blanks(12) + "1",
            }),
            run.out);
  EXPECT_EQ("21\r\n", ReadFileBytes(tree.Path("t.txt")));
}

// A dot-folder given as the folder to chart is charted: only what lies below it is filtered.
TEST(ChartRun, DotFolderAsTheRootIsCharted) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile(".r/f", 2));
  ASSERT_TRUE(tree.MakeFolder(".r/.hidden/x"));
  ASSERT_TRUE(tree.MakeFolder(".r/shown"));
  RunResult run = RunProgram({".r", "/F"}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines({".r", "│  f", "└─shown"}), run.out);
}

// Every display option at once, ordered by size descending, with the total file.
TEST(ChartRun, EveryOptionAtOnce) {
  TempTree tree;
  constexpr std::time_t kMarch2010 = 1267798050;  // 2010-03-05 14:07:30 UTC
  const struct {
    const char* path;
    off_t size;
  } files[] = {
      {"r/a.txt", 1234},         {"r/readme.md", 56}, {"r/z.bin", 99999},
      {"r/Docs/memo.txt", 2048}, {"r/Zip/k", 5000},
  };
  for (const auto& file : files) {
    ASSERT_TRUE(tree.MakeFile(file.path, file.size));
    ASSERT_TRUE(tree.SetTime(file.path, kMarch2010));
  }
  ASSERT_TRUE(tree.MakeFolder("r/Docs/Old"));
  ASSERT_TRUE(tree.MakeFolder("r/Src"));
  RunResult run = RunProgram(
      {"r", "/F", "/Size", "/Time", "/Sum", "/Total", "/SS", "/Descend", "/OutputTotal+=t.txt"},
      RunSettings{tree.Path(), {"TZ=UTC"}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  // r's own files: 1,234 + 56 + 99,999 = 101,289; with Docs' 2,048 and Zip's 5,000: 108,337.
  const std::string t = " 2010/03/05 14:07";
  EXPECT_EQ(Cp932Lines({
                "r（3 ファイル 101,289 バイト、累計 5 ファイル 108,337 バイト）",
                "│  z.bin    " + Blanks(8) + "99,999" + t,
                "│  a.txt    " + Blanks(9) + "1,234" + t,
                "│  readme.md " + Blanks(11) + "56" + t,
                "├─Zip（1 ファイル 5,000 バイト、累計 1 ファイル 5,000 バイト）",
                "│      k " + Blanks(8) + "5,000" + t,
                "├─Docs（1 ファイル 2,048 バイト、累計 1 ファイル 2,048 バイト）",
                "│  │  memo.txt " + Blanks(8) + "2,048" + t,
                "│  └─Old（0 ファイル 0 バイト、累計 0 ファイル 0 バイト）",
                "└─Src（0 ファイル 0 バイト、累計 0 ファイル 0 バイト）",
            }),
            run.out);
  EXPECT_EQ("108337\r\n", ReadFileBytes(tree.Path("t.txt")));
}

// No arguments: the current folder, under its full path, folders only.
TEST(ChartRun, NoArgumentsChartTheCurrentFolderByItsFullPath) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("cwd/file", 9));
  ASSERT_TRUE(tree.MakeFolder("cwd/a"));
  ASSERT_TRUE(tree.MakeFile("cwd/b/c/inner", 1));
  RunResult run = RunProgram({}, RunSettings{tree.Path("cwd"), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(ShownPath(tree.Path("cwd")) + Cp932Lines({"", "├─a", "└─b", "    └─c"}), run.out);
}

// Folders named outside code page 932 are entered by their own names and counted, with every
// file in the sums and the total file. Each name shows as its system gives it: a character the
// code page lacks as "?" on Linux, where Windows gives its best-fit character ("é" as "e") and two
// "?" for a character beyond the Basic Multilingual Plane; the order by name follows.
TEST(ChartRun, FoldersNamedOutsideCodePage932AreEnteredAndCounted) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/Café/f", 1) && tree.MakeFile("r/한글/f", 2));
  ASSERT_TRUE(tree.MakeFile("r/😀x/f", 4) && tree.MakeFile("r/a한b/f", 8));
  RunResult run = RunProgram({"r", "/F", "/Total", "/SN", "/OutputTotal+=합계.txt"},
                             RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  const bool is_windows = HasRunner();
  EXPECT_EQ(Cp932Lines({
                "r（累計 4 ファイル 15 バイト）",
                "├─??（累計 1 ファイル 2 バイト）",
                "│      f",
                std::string(is_windows ? "├─??x" : "├─?x") + "（累計 1 ファイル 4 バイト）",
                "│      f",
                "├─a?b（累計 1 ファイル 8 バイト）",
                "│      f",
                std::string(is_windows ? "└─Cafe" : "└─Caf?") + "（累計 1 ファイル 1 バイト）",
                "        f",
            }),
            run.out);
  EXPECT_EQ("15\r\n", ReadFileBytes(tree.Path("합계.txt")));
}

// A folder thirty levels deep under names of twenty characters, a path of more than 600: charted
// to its file, which counts.
TEST(ChartRun, PathsLongerThanWindowsLimitAreChartedToTheBottom) {
  TempTree tree;
  const std::string name = "twenty-character-dir";
  std::string path = "r";
  std::string expected = "r（累計 1 ファイル 3 バイト）\r\n";
  for (int level = 0; level < 30; ++level) {
    path += "/" + name;
    expected += Blanks(4 * level) + "`---" + name + "（累計 1 ファイル 3 バイト）\r\n";
  }
  ASSERT_TRUE(tree.MakeFile(path + "/bottom.txt", 3));
  expected += Blanks(4 * 31) + "bottom.txt\r\n";
  RunResult run = RunProgram({"r", "/F", "/A", "/Total"}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(Cp932(expected), run.out);
}

// Names that show alike stay apart: code page 932 has no Hangul, so every name below shows as
// "?" marks, yet each argument leads to the folder or file it names and to no other.
TEST(ChartRun, NamesThatShowAlikeStayApart) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("김철수/kim", 3) && tree.MakeFile("홍길동/hong", 5));
  ASSERT_TRUE(tree.MakeFile("사진/photo", 7));
  // The folder named, not the current one that shows alike.
  RunResult run =
      RunProgram({ShownPath(tree.Path("김철수")), "/F"}, RunSettings{tree.Path("홍길동"), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(ShownPath(tree.Path("???")) + "\r\n    kim\r\n", run.out);
  // A total file whose name holds a blank.
  run = RunProgram({"/OutputTotal+=합계 사진", "사진"}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("??\r\n", run.out);
  EXPECT_EQ("7\r\n", ReadFileBytes(tree.Path("합계 사진")));
  // A total file named like the folder argument before it: the folder charted, the file written.
  run = RunProgram({"김철수", "/OutputTotal+=이영희"}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("???\r\n", run.out);
  EXPECT_EQ("3\r\n", ReadFileBytes(tree.Path("이영희")));
}

// The chart goes to a pipe that nobody reads. The classic program loses every line, yet goes on
// to the total file and ends with status 0 and nothing on standard error.
TEST(ChartRun, ClosedOutputPipeStopsOnlyTheLinuxModesStreamedChart) {
  TempTree tree;
  for (int i = 0; i < 300; ++i) {
    ASSERT_TRUE(tree.MakeFile("r/d" + std::to_string(i % 7) + "/f" + std::to_string(i), i));
  }
  // 0 + 1 + ... + 299
  const std::string total = std::to_string(299 * 300 / 2) + "\r\n";
  for (const char* options : {"/F", "/Sum"}) {
    SCOPED_TRACE(options);
    RunResult run = RunProgramWithClosedOutput({"r", options, "/OutputTotal+=t.txt"},
                                               RunSettings{tree.Path(), {}});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ("", run.out);
    EXPECT_EQ(total, ReadFileBytes(tree.Path("t.txt")));
    ASSERT_EQ(0, std::remove(tree.Path("t.txt").c_str()));
  }
  // The Linux mode's streamed chart, with nothing left to finish, ends as a pipeline's writers
  // do: by SIGPIPE (128 + 13), silently. With a total file to write it still walks to the end.
  if (HasRunner()) return;  // the Windows program is always classic
  const RunSettings linux_mode{tree.Path(), {"LC_ALL=C.UTF-8"}};
  RunResult streamed = RunProgramWithClosedOutput({"r", "/F"}, linux_mode);
  EXPECT_EQ(141, streamed.status);
  EXPECT_EQ("", streamed.err);
  RunResult totalled = RunProgramWithClosedOutput({"r", "/F", "/OutputTotal+=t.txt"}, linux_mode);
  EXPECT_EQ(0, totalled.status);
  EXPECT_EQ(std::to_string(299 * 300 / 2) + "\n", ReadFileBytes(tree.Path("t.txt")));
}

// Standard output on a file is written in blocks of lines: the file gets the pipe's bytes, the
// last block included.
TEST(ChartRun, AFileGetsThePipesBytes) {
  TempTree tree;
  for (int i = 0; i < 3000; ++i) {
    ASSERT_TRUE(tree.MakeFile("r/d" + std::to_string(i % 9) + "/f" + std::to_string(i)));
  }
  RunSettings settings{tree.Path(), {}};
  const RunResult piped = RunProgram({"r", "/F", "/Size"}, settings);
  settings.wrapper = {"sh", "-c", "exec \"$0\" \"$@\" > out.txt"};
  EXPECT_EQ(0, RunProgram({"r", "/F", "/Size"}, settings).status);
  EXPECT_GT(piped.out.size(), 80'000u);  // more than one block
  EXPECT_EQ(piped.out, ReadFileBytes(tree.Path("out.txt")));
}

// A folder that holds a symbolic link to "/", as every wine prefix's dosdevices/z: does: the
// folder that holds the charted one is not walked again through the link, so the run ends at once.
// Were it walked, the run would go through the whole file system, /proc and /sys included, and
// print nothing for many minutes (as `quovrel` with no arguments once did in this checkout).
TEST(ChartRun, LinkToTheFileSystemRootDoesNotWalkTheFileSystem) {
  if (HasRunner()) GTEST_SKIP() << "a Linux link; the Windows program meets it only through wine";
  TempTree tree;
  ASSERT_TRUE(tree.MakeFolder("r/dosdevices"));
  ASSERT_EQ(0, symlink("/", tree.Path("r/dosdevices/z:").c_str()));
  RunResult run = RunProgram({"r"}, RunSettings{tree.Path(), {}, 30});
  EXPECT_EQ(0, run.status) << "no end within 30 seconds";
  EXPECT_EQ("", run.err);
  EXPECT_EQ(0u, run.out.find(Cp932Lines({"r", "└─dosdevices"})));
}

// Links that lead to the folder that holds the charted one are shown but not entered, whatever
// the path: either would chart the charted folder again inside itself.
TEST(ChartRun, LinksToFoldersAboveTheChartedOneAreNotEntered) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("charted/sub/f.txt", 1) && tree.MakeFile("outside.txt", 2));
  ASSERT_EQ(0, symlink("../..", tree.Path("charted/sub/above").c_str()));
  ASSERT_EQ(0, symlink("..", tree.Path("charted/up").c_str()));
  RunResult run = RunProgram({"charted", "/F", "/Sum"}, RunSettings{tree.Path(), {}, 60});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932Lines({
                "charted（0 ファイル 0 バイト）",
                "├─sub（1 ファイル 1 バイト）",
                "│  │  f.txt",
                "│  └─above（0 ファイル 0 バイト）",
                "└─up（0 ファイル 0 バイト）",
            }),
            run.out);
}

// Sixteen folders outside the charted one, each with two links to the next: 65,536 paths from
// the one link that leads in. Below that link each folder is entered once, whichever of its two
// links comes first, so the chart keeps the same few lines and every folder's file shows once.
TEST(ChartRun, AWebOfLinksBelowALinkIsWalkedOnce) {
  TempTree tree;
  constexpr int kLevels = 16;
  for (int i = 0; i < kLevels; ++i) {
    const std::string level = "web/w" + std::to_string(i);
    ASSERT_TRUE(tree.MakeFile(level + "/f" + std::to_string(i), i));
    if (i + 1 == kLevels) continue;
    const std::string next = "../w" + std::to_string(i + 1);
    ASSERT_EQ(0, symlink(next.c_str(), tree.Path(level + "/left").c_str()));
    ASSERT_EQ(0, symlink(next.c_str(), tree.Path(level + "/right").c_str()));
  }
  ASSERT_TRUE(tree.MakeFolder("r"));
  ASSERT_EQ(0, symlink("../web/w0", tree.Path("r/in").c_str()));
  RunResult run = RunProgram({"r", "/F", "/A", "/Threads=1"}, RunSettings{tree.Path(), {}, 60});
  ASSERT_EQ(0, run.status) << "no end within 60 seconds";
  EXPECT_EQ("", run.err);
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitCrLfLines(run.out, lines));
  // The root, "in", then per level its file and two links (one entered, one shown empty), and
  // the last level's file.
  EXPECT_EQ(2u + 3 * (kLevels - 1) + 1, lines.size());
  for (int i = 0; i < kLevels; ++i) {
    const std::string file = "f" + std::to_string(i);
    size_t shown = 0;
    for (const std::string& line : lines) {
      const std::string ending = " " + file;  // a file hangs below its folder's line
      if (line.size() >= ending.size() &&
          line.compare(line.size() - ending.size(), ending.size(), ending) == 0) {
        ++shown;
      }
    }
    EXPECT_EQ(1u, shown) << file;
  }
  // Byte for byte the same whatever number of threads reads ahead of the walk.
  for (const char* threads : {"/Threads=2", "/Threads=8", "/Threads=64"}) {
    EXPECT_EQ(run.out, RunProgram({"r", "/F", "/A", threads}, RunSettings{tree.Path()}).out)
        << threads;
  }
}

// The harness's own closed pipe: a program that does not guard against it is ended by SIGPIPE.
TEST(E2eSupport, ClosedOutputPipeEndsAnUnguardedProgram) {
  if (HasRunner()) GTEST_SKIP() << "checks the harness with a Linux tool";
  const char* saved = std::getenv("QUOVREL_PROGRAM");
  const std::string kept = saved ? saved : "";
  setenv("QUOVREL_PROGRAM", "yes", 1);
  RunResult run = RunProgramWithClosedOutput({}, RunSettings{"", {}, 20});
  setenv("QUOVREL_PROGRAM", kept.c_str(), 1);
  EXPECT_EQ(128 + SIGPIPE, run.status);
}

}  // namespace
