// The Windows program against the Linux program: on one tree of ASCII and Japanese names,
// sizes and times, every run with every combination of options must give the same bytes,
// the same status and the same total file. Runs only under a runner (the wine run of the suite).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

#ifdef QUOVREL_NATIVE_PROGRAM
const char* const kLinuxProgram = QUOVREL_NATIVE_PROGRAM;
#else
const char* const kLinuxProgram = nullptr;
#endif

// Both programs run in the same Japanese setting; the Windows one gets it from its runner, the
// Linux one is in its classic mode (the harness's locale) with the same language.
const std::vector<std::string> kLinuxEnvironment = {"LANG=ja_JP.UTF-8"};

// Runs the Linux program through the same harness, by naming it for the length of the run.
RunResult RunLinuxProgram(const std::vector<std::string>& arguments, RunSettings settings) {
  const std::string program = std::getenv("QUOVREL_PROGRAM");
  const std::string runner = std::getenv("QUOVREL_RUNNER");
  setenv("QUOVREL_PROGRAM", kLinuxProgram, 1);
  unsetenv("QUOVREL_RUNNER");
  settings.extra_env.insert(settings.extra_env.end(), kLinuxEnvironment.begin(),
                            kLinuxEnvironment.end());
  RunResult run = RunProgram(arguments, settings);
  setenv("QUOVREL_PROGRAM", program.c_str(), 1);
  setenv("QUOVREL_RUNNER", runner.c_str(), 1);
  return run;
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
  }
  return bytes;
}

constexpr std::time_t kMarch2010 = 1267798050;  // 2010-03-05 14:07:30 UTC

// Files: path, size, last write. Names are ones that both systems spell, order and lower-case
// alike: ASCII, kana, kanji (some with the trail byte 0x5C), half-width kana and circled digits.
const struct {
  const char* path;
  off_t size;
  std::time_t time;
} kFiles[] = {
    {"a.txt", 1234, kMarch2010},
    {"B.TXT", 0, kMarch2010 + 29},
    {"readme", 56, 1000000000},
    {".gitignore", 7, 1500000000},
    {"archive.tar.gz", 1000, 1500000059},
    {"x.y.z", 999, 1600000000},
    {"noext", 4294967295, 1600000001},
    {"over4g.bin", 4294967296 + 10, 1700000000},
    {"big.iso", 1000000000, 1400000000},
    {"mixed Case.Md", 123456, 1300000000},
    {"a,b.csv", 1, 1200000000},
    {"_under", 2, 315532800},     // 1980-01-01 00:00 UTC
    {"old.txt", 3, 86400},        // 1970: before the DOS dates
    {"far.txt", 4, 4450000000},   // 2111: after them
    {"edge.txt", 5, 4354819199},  // 2107-12-31 23:59:59 UTC: the last DOS date, or after it
    {"表.txt", 500, 1400000000},
    {"予定表.xlsx", 12345, 1400000060},
    {"カタカナ.txt", 321, 1350000000},
    {"ｶﾀｶﾅ.txt", 322, 1350000000},
    {"①丸数字.txt", 8, 1250000000},
    {"ソフト/能力.doc", 2048, 1250000000},
    {"ソフト/設定/既定.ini", 17, 1260000000},
    {"Docs/memo.txt", 2048, kMarch2010},
    {"Docs/Old/.keep", 0, kMarch2010},
    {"Docs/日本語/報告.txt", 77, 1278338850},  // July: daylight time where there is one
    {"src/lib/inner/deep.c", 4096, 1111111111},
    {"src/main.cc", 4097, 1111111112},
    {"src/lib/a.h", 100, 1111111113},
    {".git/objects/pack.bin", 999999, 1111111114},
    {"漢字/ファイル.dat", 65536, 1222222222},
    {"zeta/z.txt", 10, 1333333333},
};
// Beside the tree: capitals and small letters of the full-width Latin, Greek and Cyrillic
// alphabets and the Roman numerals, which both programs lower alike, so that by name each small
// letter sorts just before its capital's higher digit. Unlowered, every capital would come first.
const char* const kCasePairs[] = {"Ａ2.txt", "ａ1.txt", "Ω2.txt", "ω1.txt", "Я2.txt",
                                  "я1.txt",  "Ё2.txt",  "ё1.txt", "Ⅱ2.txt", "ⅰ1.txt"};
const char* const kEmptyFolders[] = {"Empty", "Docs/Old", "src/lib/inner/none", ".hidden", "表"};
// Folder times, set last: adding entries moves them.
const struct {
  const char* path;
  std::time_t time;
} kFolders[] = {
    {"Docs", 1234567890},      {"Docs/Old", 1234567891}, {"Docs/日本語", 1234567880},
    {"src", 1234567000},       {"src/lib", 1234567001},  {"src/lib/inner", 1234567002},
    {"src/lib/inner/none", 1}, {"ソフト", 1234567895},   {"ソフト/設定", 1234567896},
    {"漢字", 1234567893},      {"zeta", 1234567894},     {"Empty", 1234567892},
    {"表", 1234567899},        {".git", 1234567897},     {".hidden", 1234567898},
};

class WineDifferential : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = new TempTree;
    bool made = tree_->IsReady();
    for (const auto& file : kFiles) {
      made = made && tree_->MakeFile(std::string("tree/") + file.path, file.size) &&
             tree_->SetTime(std::string("tree/") + file.path, file.time);
    }
    for (const char* folder : kEmptyFolders) {
      made = made && tree_->MakeFolder(std::string("tree/") + folder);
    }
    for (const auto& folder : kFolders) {
      made = made && tree_->SetTime(std::string("tree/") + folder.path, folder.time);
    }
    for (const char* name : kCasePairs) {
      made = made && tree_->MakeFile(std::string("cases/") + name, 1) &&
             tree_->MakeFolder(std::string("cases/") + name + ".d");
    }
    made_ = made;
  }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }

  void SetUp() override {
    if (!HasRunner() || !kLinuxProgram) GTEST_SKIP() << "needs the Windows program under wine";
    ASSERT_TRUE(made_);
  }

  // Runs both programs on the tree, from the folder that holds it; they must agree on everything.
  void ExpectSameRun(std::vector<std::string> arguments, const std::string& time_zone = "") {
    SCOPED_TRACE(::testing::PrintToString(arguments) + " TZ=" + time_zone);
    RunSettings settings{tree_->Path(), {}};
    if (!time_zone.empty()) settings.extra_env.push_back("TZ=" + time_zone);
    const bool with_total = (++runs_ % 2) == 0;
    RunResult linux_run = RunLinuxProgram(WithTotal(arguments, with_total, "linux"), settings);
    RunResult windows_run = RunProgram(WithTotal(arguments, with_total, "windows"), settings);
    EXPECT_EQ(0, linux_run.status);
    EXPECT_EQ("", linux_run.err);
    EXPECT_EQ(linux_run.status, windows_run.status);
    EXPECT_EQ("", windows_run.err);
    EXPECT_EQ(linux_run.out, windows_run.out);
    if (with_total) {
      EXPECT_EQ(ReadFile(tree_->Path("linux.total")), ReadFile(tree_->Path("windows.total")));
    }
  }

  // Every combination of the five display switches, with `ordering` in front.
  void ExpectSameForEveryDisplay(const std::vector<std::string>& ordering) {
    static const char* const kDisplay[] = {"/F", "/Size", "/Time", "/Sum", "/Total"};
    for (int mask = 0; mask < 32; ++mask) {
      std::vector<std::string> arguments = {"tree"};
      arguments.insert(arguments.end(), ordering.begin(), ordering.end());
      for (int bit = 0; bit < 5; ++bit) {
        if (mask & (1 << bit)) arguments.push_back(kDisplay[bit]);
      }
      if (mask % 3 == 1) arguments.push_back("/A");
      ExpectSameRun(arguments);
    }
  }

  // The total file is named on every other run; each program has its own, emptied first.
  static std::vector<std::string> WithTotal(std::vector<std::string> arguments, bool with_total,
                                            const std::string& who) {
    if (!with_total) return arguments;
    std::remove(tree_->Path(who + ".total").c_str());
    arguments.push_back("/OutputTotal=" + who + ".total");
    return arguments;
  }

  static TempTree* tree_;
  static bool made_;
  int runs_ = 0;
};

TempTree* WineDifferential::tree_ = nullptr;
bool WineDifferential::made_ = false;

TEST_F(WineDifferential, TheTreeIsCharted) {
  RunResult run = RunLinuxProgram({"tree", "/F"}, RunSettings{tree_->Path(), {}});
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitCrLfLines(run.out, lines));
  EXPECT_EQ(44u, lines.size());
  EXPECT_NE(std::string::npos, run.out.find(Cp932("表.txt")));
  EXPECT_EQ(std::string::npos, run.out.find("pack.bin"));
}

TEST_F(WineDifferential, CreationOrder) { ExpectSameForEveryDisplay({}); }
TEST_F(WineDifferential, ByName) { ExpectSameForEveryDisplay({"/SN"}); }
TEST_F(WineDifferential, ByExtension) { ExpectSameForEveryDisplay({"/SE"}); }
TEST_F(WineDifferential, BySize) { ExpectSameForEveryDisplay({"/SS"}); }
TEST_F(WineDifferential, ByTime) { ExpectSameForEveryDisplay({"/ST"}); }

TEST_F(WineDifferential, EveryOrderingBothWays) {
  for (const char* key : {"/NoSort", "/SortByName", "/SortByExt", "/SortBySize", "/SortByTime"}) {
    for (const char* direction : {"/Ascend", "/Descend"}) {
      for (const char* group : {"/FileFirst", "/FolderFirst"}) {
        ExpectSameRun({"tree", key, direction, group, "/F", "/Size", "/Time", "/Sum", "/Total"});
        ExpectSameRun({"tree", key, direction, group, "/A"});
        ExpectSameRun({"tree", key, direction, group, "/F", "/Sum"});
      }
    }
  }
}

TEST_F(WineDifferential, CasePairsSortAlike) {
  RunResult run = RunLinuxProgram({"cases", "/F", "/SN", "/A"}, RunSettings{tree_->Path(), {}});
  std::string expected = "cases\r\n";
  const char* const kOrder[] = {"ａ1", "Ａ2", "ω1", "Ω2", "ё1", "Ё2", "я1", "Я2", "ⅰ1", "Ⅱ2"};
  for (const char* name : kOrder) expected += Cp932("|   " + std::string(name) + ".txt\r\n");
  for (const char* name : kOrder) {
    expected += Cp932(std::string(name == kOrder[9] ? "`---" : "+---") + name + ".txt.d\r\n");
  }
  EXPECT_EQ(expected, run.out);
  for (const char* key : {"/SN", "/SE"}) {
    for (const char* direction : {"/Ascend", "/Descend"}) {
      ExpectSameRun({"cases", key, direction, "/F"});
      ExpectSameRun({"cases", key, direction, "/FolderFirst", "/F", "/A"});
    }
  }
}

// Times are moved by the offset in force now, whatever the file's date, in both programs.
TEST_F(WineDifferential, TimeZones) {
  for (const char* zone : {"UTC", "Asia/Tokyo", "America/New_York", "Australia/Adelaide"}) {
    ExpectSameRun({"tree", "/F", "/Time", "/ST"}, zone);
    ExpectSameRun({"tree", "/F", "/Time", "/Size", "/Descend"}, zone);
  }
}

// Only the root line differs when the folder is the current one: the Windows program shows it
// as a drive path.
TEST_F(WineDifferential, CurrentFolderDiffersOnlyInTheRootPath) {
  RunSettings settings{tree_->Path("tree"), {}};
  RunResult linux_run = RunLinuxProgram({"/F", "/Sum"}, settings);
  RunResult windows_run = RunProgram({"/F", "/Sum"}, settings);
  const std::string linux_root = tree_->Path("tree");
  ASSERT_EQ(0u, linux_run.out.find(linux_root));
  ASSERT_EQ(0u, windows_run.out.find(ShownPath(linux_root)));
  EXPECT_EQ(linux_run.out.substr(linux_root.size()),
            windows_run.out.substr(ShownPath(linux_root).size()));
}

}  // namespace
