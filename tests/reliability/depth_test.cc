// Depth: a hierarchy 10,000 levels deep and one whose paths pass 10,000 bytes are charted
// completely, every folder and file with its size and time, under the default limits, with 16
// descriptors or two free ones, and with a 1 MiB stack; the Windows program under wine does not
// crash on them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "e2e_support.h"
#include "reliability_support.h"

namespace {

constexpr int kDeepLevels = 10000;
constexpr int kFileEvery = 100;
constexpr int kLongLevels = 52;

// The chart options of every run here; the reader expects exactly these.
constexpr char kChartOptions[] = " /A /F /Size /Time /Sum /Total";

class DeepTree : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = NewScratchTree().release();
    made_ = tree_->IsReady() && MakeChain(tree_->Path(), "d", kDeepLevels, kFileEvery);
  }
  static void TearDownTestSuite() {
    // rm walks by descriptors too; the tree's own cleanup would need one per level.
    RunShell("rm -rf " + ShellWord(tree_->Path()) + "/d");
    delete tree_;
  }

  // Charts the deep tree under the shell limits `limits` and checks every line.
  static void ExpectCompleteChart(const std::string& limits) {
    ASSERT_TRUE(made_) << "the deep tree could not be made";
    const std::string out = ScratchFile("deep.out");
    // The output is redirected before the limits: the shell keeps a copy of a descriptor it
    // redirects for a command, which a limit of five descriptors has no room for.
    const ShellRun run = RunShell("exec >" + ShellWord(out) + "; " + limits + "; exec \"$Q\" " +
                                  ShellWord(tree_->Path()) + kChartOptions);
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    ChartReader chart(true);
    std::string why;
    const bool read = ReadChartFile(out, chart, why);
    unlink(out.c_str());
    ASSERT_TRUE(read) << why;
    ExpectEveryLevel(chart);
    EXPECT_EQ("", chart.CheckSums());
    RecordProperty("seconds", std::to_string(run.seconds));
  }

  static void ExpectEveryLevel(const ChartReader& chart) {
    const int files = kDeepLevels / kFileEvery + 1;
    ASSERT_EQ(static_cast<size_t>(1 + kDeepLevels + files), chart.Entries().size());
    EXPECT_EQ(static_cast<size_t>(kDeepLevels + 1), chart.Deepest());  // the deepest file
    int folders_seen = 0;
    uint64_t bytes = 0;
    for (const ChartEntry& entry : chart.Entries()) {
      if (entry.depth == 0) continue;
      if (entry.is_folder) {
        EXPECT_EQ("d", entry.name);
        EXPECT_EQ(static_cast<size_t>(++folders_seen), entry.depth);
        continue;
      }
      // File "f<level>" holds <level> bytes and hangs on the folder of that level.
      const int level = static_cast<int>(entry.depth) - 1;
      EXPECT_EQ("f" + std::to_string(level), entry.name);
      EXPECT_EQ(static_cast<uint64_t>(level), entry.size);
      bytes += entry.size;
    }
    EXPECT_EQ(kDeepLevels, folders_seen);
    uint64_t found_bytes = 0;
    uint64_t found_count = 0;
    ASSERT_TRUE(FindSizes(tree_->Path(), found_bytes, found_count));
    EXPECT_EQ(found_bytes, bytes);
    EXPECT_EQ(found_bytes, chart.Entries()[0].total_bytes);
    EXPECT_EQ(found_count, chart.Entries()[0].total_files);
  }

  static TempTree* tree_;
  static bool made_;
};

TempTree* DeepTree::tree_ = nullptr;
bool DeepTree::made_ = false;

TEST_F(DeepTree, TenThousandLevelsWithDefaultLimits) { ExpectCompleteChart("ulimit -s 8192"); }

TEST_F(DeepTree, TenThousandLevelsWithSixteenDescriptors) {
  ExpectCompleteChart("ulimit -s 8192; ulimit -n 16");
}

// Standard input, output and error and two more: a parent's descriptor and its child's.
TEST_F(DeepTree, TenThousandLevelsWithTwoFreeDescriptors) {
  ExpectCompleteChart("ulimit -s 8192; ulimit -n 5");
}

// Every pass keeps its own stack on the heap, so a stack an eighth of the default is plenty.
TEST_F(DeepTree, TenThousandLevelsWithAOneMebibyteStack) {
  ExpectCompleteChart("ulimit -s 1024; ulimit -n 16");
}

// 52 levels of 200-byte names, half of them Japanese: paths of more than 10,000 bytes.
class LongPaths : public ::testing::Test {
 protected:
  static std::string LevelName(int level) {
    if (level % 2 == 0) return std::string(199, 'a' + level % 26) + std::to_string(level % 10);
    std::string name;
    while (name.size() < 198) name += "あ";  // 3 bytes in UTF-8, 2 in code page 932
    return name + std::to_string(level % 10) + std::to_string(level / 10);
  }

  void SetUp() override {
    ASSERT_TRUE(tree_.IsReady());
    std::string path;
    for (int level = 0; level < kLongLevels; ++level) {
      path += (level ? "/" : "") + LevelName(level);
      folder_path_length_ = tree_.Path(path).size();
    }
    // Made by descriptors, one name at a time, as the path is far too long for mkdir -p.
    ASSERT_TRUE(MakeNamedChain());
  }

  void TearDown() override { RunShell("rm -rf " + ShellWord(tree_.Path()) + "/*"); }

  bool MakeNamedChain() {
    int fd = open(tree_.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < kLongLevels && fd >= 0; ++level) {
      const std::string name = LevelName(level);
      const int file = openat(fd, "file.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
      const bool made = file >= 0 && ftruncate(file, 1000 + level) == 0 && close(file) == 0 &&
                        mkdirat(fd, name.c_str(), 0755) == 0;
      const int next = made ? openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
      close(fd);
      fd = next;
    }
    if (fd < 0) return false;
    close(fd);
    return true;
  }

  void ExpectCompleteChart(const std::string& limits) {
    const ShellRun run = RunShell(limits + "; \"$Q\" " + ShellWord(tree_.Path()) + kChartOptions);
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    ChartReader chart(true);
    ASSERT_TRUE(ReadChart(run.out, chart)) << chart.Problem();
    ASSERT_EQ(static_cast<size_t>(1 + 2 * kLongLevels), chart.Entries().size());
    for (const ChartEntry& entry : chart.Entries()) {
      if (entry.depth == 0) continue;
      const int level = static_cast<int>(entry.depth) - 1;
      if (entry.is_folder) {
        EXPECT_EQ(Cp932Text(LevelName(level)), entry.name);
      } else {
        EXPECT_EQ("file.txt", entry.name);
        EXPECT_EQ(static_cast<uint64_t>(1000 + level), entry.size);
      }
    }
    EXPECT_EQ("", chart.CheckSums());
  }

  TempTree tree_;
  size_t folder_path_length_ = 0;
};

TEST_F(LongPaths, PathsOfTenThousandBytesWithDefaultLimits) {
  ASSERT_GT(folder_path_length_, 10000u);
  ExpectCompleteChart("true");
}

TEST_F(LongPaths, PathsOfTenThousandBytesWithSixteenDescriptors) {
  ExpectCompleteChart("ulimit -n 16");
}

// A current folder whose path is longer than any call by path takes is charted all the same,
// and the root line shows it whole. The shell cannot enter it (its cd goes by the whole path),
// so python steps down one name at a time.
TEST_F(LongPaths, CurrentFolderOfAnyLengthIsCharted) {
  constexpr int kLevelsEntered = 30;
  std::string script = "cd " + ShellWord(tree_.Path()) +
                       " && exec python3 -c 'import os, sys\n"
                       "for name in sys.argv[2:]: os.chdir(name)\n"
                       "os.execv(sys.argv[1], [sys.argv[1], \"/A\"])' \"$Q\"";
  std::string shown = tree_.Path();
  for (int level = 0; level < kLevelsEntered; ++level) {
    script += " " + ShellWord(LevelName(level));
    shown += "/" + LevelName(level);
  }
  ASSERT_GT(shown.size(), 4096u);
  const ShellRun run = RunShell(script);
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(0u, run.out.find(Cp932Text(shown) + "\r\n"));
  EXPECT_EQ(static_cast<size_t>(1 + kLongLevels - kLevelsEntered),
            static_cast<size_t>(std::count(run.out.begin(), run.out.end(), '\n')));
}

// One free descriptor, a UTF-8 chart by name: lower-casing is loaded before the walk holds it.
TEST(FewDescriptors, OneFreeDescriptorLowerCasesUtf8Names) {
  TempTree tree;
  for (const char* name : {"cs/Éb", "cs/éa", "cs/Éc", "cs/Ωz", "cs/ωy"})
    ASSERT_TRUE(tree.MakeFile(name));
  const std::string cs = tree.Path("cs");
  const ShellRun run = RunShell("ulimit -n 4; exec \"$Q\" " + ShellWord(cs) + " /F /UTF8 /SN");
  EXPECT_EQ(cs + "\n    éa\n    Éb\n    Éc\n    ωy\n    Ωz\n", run.out + run.err);
  EXPECT_EQ(0, run.status);
}

}  // namespace
