// The Linux program's two modes, chosen by the locale: the Linux mode's chart in the locale's
// encoding and language through a pipe, with LF line ends in the chart and the total file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

// Each row: the locale, the options after "r /Sum /T=t.txt", standard output and the total file.
TEST(LinuxMode, TheLocaleChoosesTheEncoding) {
  if (HasRunner()) GTEST_SKIP() << "the Windows program is always classic";
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/設計/a", 1));
  const struct {
    std::string locale;
    std::vector<std::string> options;
    std::string out;
    std::string total;
    int status = 0;
  } rows[] = {
      // English texts out of a Japanese locale; C and POSIX charts are UTF-8 too, as the terminals
      // that use them show it.
      {"C.UTF-8", {}, "r (0 files 0 bytes)\n└── 設計 (1 file 1 byte)\n", "1\n"},
      {"C", {}, "r (0 files 0 bytes)\n└── 設計 (1 file 1 byte)\n", "1\n"},
      {"ja_JP.UTF-8", {}, "r（0 ファイル 0 バイト）\n└── 設計（1 ファイル 1 バイト）\n", "1\n"},
      // Several folders: each charted in turn, an empty line between, a total line for each.
      {"C.UTF-8",
       {"r"},
       "r (0 files 0 bytes)\n└── 設計 (1 file 1 byte)\n\n"
       "r (0 files 0 bytes)\n└── 設計 (1 file 1 byte)\n",
       "1\n1\n"},
      // A folder that is not there among several: reported (on stderr), the others charted.
      {"C.UTF-8", {"gone"}, "r (0 files 0 bytes)\n└── 設計 (1 file 1 byte)\n", "1\n", 1},
      // "-L N": the depth as the next argument.
      {"C.UTF-8", {"-L", "0"}, "r (0 files 0 bytes)\n", "1\n"},
      // A charset without the characters: "?" for each, and the connectors drawn in ASCII.
      {"en_US.ISO-8859-1", {}, "r (0 files 0 bytes)\n`-- ?? (1 file 1 byte)\n", "1\n"},
      // /UTF8- chooses code page 932 over the locale: the bytes of the Windows program.
      {"C.UTF-8",
       {"/UTF8-"},
       "r (0 files 0 bytes)\r\n" + Cp932("└─設計") + " (1 file 1 byte)\r\n",
       "1\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.locale + " " + ::testing::PrintToString(row.options));
    std::vector<std::string> arguments{"r", "/Sum", "/OutputTotal=t.txt"};
    arguments.insert(arguments.end(), row.options.begin(), row.options.end());
    const RunResult run = RunProgram(arguments, RunSettings{tree.Path(), {"LC_ALL=" + row.locale}});
    EXPECT_EQ(row.status, run.status);
    EXPECT_EQ(row.out, run.out);
    EXPECT_EQ(row.total, ReadFileBytes(tree.Path("t.txt")));
    unlink(tree.Path("t.txt").c_str());
  }
}

// The Japanese catalog gives the classic help byte for byte, once in code page 932 and CR LF.
TEST(LinuxMode, JapaneseHelpIsTheClassicHelp) {
  if (HasRunner()) GTEST_SKIP() << "the Windows program is always classic";
  for (const char* help : {"/?", "--help"}) {  // --help adds a modes block after the classic's
    const RunResult linux_run = RunProgram({help}, RunSettings{"", {"LC_ALL=ja_JP.UTF-8"}});
    std::string converted;
    for (size_t start = 0, end; start < linux_run.out.size(); start = end + 1) {
      end = linux_run.out.find('\n', start);
      converted += Cp932(linux_run.out.substr(start, end - start)) + "\r\n";
    }
    const std::string classic = RunProgram({help}, RunSettings{}).out;
    EXPECT_EQ(classic, converted.substr(0, classic.size())) << help;
  }
}

}  // namespace
