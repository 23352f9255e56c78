// The run driver's outcomes: what is printed and the exit status for each kind of command line.
#include "front/run_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/app_options.h"
#include "fake_platform.h"
#include "front/help_text.h"
#include "run_arguments.h"

namespace {

// The runs here are in UTF-8, so the expected texts read as the user reads them; their code page
// 932 bytes are the converter's, checked with the POSIX platform and in the built program's output.
std::string Banner() {
  return "Quovrelant    Ver 2.03\r\nフォルダ構造を図式表示するコンソールプログラム\r\n\r\n";
}

// The help lines as PrintHelp writes them; their bytes are checked by the help text's tests.
std::string HelpLines() {
  FakePlatform platform;
  platform.SetUtf8Texts(true);
  AppOptions options;
  options.ShowHelp = true;
  PrintHelp(platform, options);
  return platform.output;
}

size_t CountLines(const std::string& text) {
  size_t count = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
    ++count;
  }
  return count;
}

class RunDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.AddFolder("C:\\Work");
    platform.utf8_default = true;
  }

  int Run(const std::vector<std::string>& args) {
    std::vector<PathText> arguments = RunArguments(args);
    return RunQuovrel(platform, arguments);
  }

  FakePlatform platform;
};

struct OutcomeRow {
  std::vector<std::string> arguments;
  int status;
  std::string output;
};

void CheckOutcomes(const std::vector<OutcomeRow>& rows) {
  for (const OutcomeRow& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    FakePlatform platform;
    platform.AddFolder("C:\\Work");
    platform.utf8_default = true;
    std::vector<PathText> arguments = RunArguments(row.arguments);
    EXPECT_EQ(row.status, RunQuovrel(platform, arguments));
    EXPECT_EQ(row.output, platform.output);
  }
}

TEST(RunQuovrel, FailedParseEndsWithStatusOneAndTheMessageOnly) {
  const std::string option = "無効なオプションです：";
  const std::string folder = "無効なフォルダです：";
  CheckOutcomes({
      {{"/X"}, 1, option + "/X\r\n"},
      {{"/H", "/X"}, 1, option + "/X\r\n"},
      {{"/V", "/X"}, 1, option + "/X\r\n"},
      {{"/?", "C:\\Nowhere"}, 1, folder + "C:\\Nowhere\r\n"},
      {{"/V", "C:\\Nowhere"}, 1, folder + "C:\\Nowhere\r\n"},
      {{"/OutputTotal"}, 1, "出力先を指定して下さい：/OUTPUTTOTAL\r\n"},
      {{""}, 1, folder + "\r\n"},
      {{"/Import"}, 1, option + "/IMPORT\r\n"},
      {{"/Import=none.json", "/V"}, 1,
       "保存したスキャンを読めません：none.json: the file cannot be opened\r\n"},
  });
}

// The Linux mode's refusals: on standard error in the style of the GNU tools, status 1.
TEST(RunQuovrel, LinuxModeReportsOnStandardError) {
  const std::string try_help = "Try 'quovrel --help' for more information.\r\n";
  const struct {
    std::vector<std::string> arguments;
    std::string error;
  } rows[] = {
      {{"/X"}, "quovrel: invalid option '/X'\r\n" + try_help},
      {{"/OutputTotal"}, "quovrel: option '/OUTPUTTOTAL' needs a file name\r\n" + try_help},
      {{"C:\\Nowhere"}, "quovrel: cannot chart 'C:\\Nowhere': no such folder\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    FakePlatform platform;
    platform.classic_mode = false;
    platform.AddFolder("C:\\Work");
    std::vector<PathText> arguments = RunArguments(row.arguments);
    EXPECT_EQ(1, RunQuovrel(platform, arguments));
    EXPECT_EQ("", platform.output);
    EXPECT_EQ(row.error, platform.error_output);
  }
}

TEST(RunQuovrel, VersionAloneShowsTheBannerOnly) {
  CheckOutcomes({
      {{"/V"}, 0, Banner()},
      {{"/Verbose"}, 0, Banner()},
      {{"/verbose+"}, 0, Banner()},
      {{"-v"}, 0, Banner()},
      {{"/bogus", "--version", "C:\\Nowhere"}, 0, Banner()},  // whatever else is given
      {{"--version", "/?"}, 0, Banner()},
  });
  EXPECT_EQ(3u, CountLines(Banner()));
}

TEST(RunQuovrel, HelpShowsTheBannerThenTheHelpAndNoTree) {
  const std::string help = Banner() + HelpLines();
  ASSERT_EQ(46u, CountLines(help));
  CheckOutcomes({
      {{"/H"}, 0, help},
      {{"/?"}, 0, help},
      {{"-h"}, 0, help},
      {{"/help"}, 0, help},
      {{"/HeLp"}, 0, help},
      {{"/Verbose-", "/H"}, 0, help},
      {{"/H", "/Verbose-"}, 0, help},
      {{"/H", "/A+", "/Descend", "C:\\Work"}, 0, help},
  });
}

// The chart itself belongs to the renderer's tests; here only where it starts matters. An empty
// folder charts as its root line alone.
TEST(RunQuovrel, OtherRunsChartTheTreeAfterTheBannerIfAny) {
  const std::string tree = "C:\\Work\r\n";
  CheckOutcomes({
      {{}, 0, tree},
      {{"/Verbose-"}, 0, tree},
      {{"/F"}, 0, tree},
      {{"/V", "/V"}, 0, Banner() + tree},
      {{"/V", "C:\\Work"}, 0, Banner() + tree},
      {{"/V", "/Verbose-"}, 0, tree},
  });
}

TEST_F(RunDriverTest, OnlyAChartRunWritesTheTotalFile) {
  EXPECT_EQ(0, Run({"/H", "/OutputTotal=t.txt"}));
  EXPECT_EQ(1, Run({"/OutputTotal=t.txt", "/X"}));
  EXPECT_EQ(0u, platform.total_files.count("t.txt"));
  EXPECT_EQ(0, Run({"/OutputTotal=t.txt"}));
  EXPECT_EQ(1u, platform.total_files.count("t.txt"));
}

TEST_F(RunDriverTest, ChartShowsTheRootPathAsTheParserSettledIt) {
  platform.AddFolder("C:\\Work\\Sub");
  EXPECT_EQ(0, Run({"C:Sub"}));
  EXPECT_EQ(0u, platform.output.find("C:\\Work\\Sub\r\n"));
}

}  // namespace

// One item per line, each with its own figures: hard links marked, a link as itself (its target
// not walked again), the excluded and the unread told so, sizes of 0 left out.
TEST_F(RunDriverTest, ExportWritesEveryEntryWithItsOwnFigures) {
  platform.AddFile("C:\\Work\\a\\one", 5, MakeFileTime(116444736000000000 + 20000000)).file_id = 7;
  platform.AddFile("C:\\Work\\two", 3).file_id = 7;
  platform.Find("C:\\Work\\a")->allocated = 4096;
  platform.AddLink("C:\\Work\\to_a", "C:\\Work\\a");
  platform.AddFile("C:\\Work\\s\"\x01.tmp", 9);
  platform.AddFolder("C:\\Work\\.dot");
  platform.AddFolder("C:\\Work\\shut");
  platform.refuse_listing.insert("C:\\Work\\shut");
  EXPECT_EQ(0, Run({"/Export=e.json", "/X=*.tmp"}));
  EXPECT_EQ(
      "[1,2,{\"progname\":\"quovrel\",\"progver\":\"2.03\",\"timestamp\":1700000000},\n"
      "[{\"name\":\"C:\\\\Work\",\"dev\":0,\"ino\":2,\"mtime\":-11644473600},\n"
      "[{\"name\":\"a\",\"dsize\":4096,\"ino\":3,\"mtime\":-11644473600},\n"
      "{\"name\":\"one\",\"asize\":5,\"ino\":7,\"hlnkc\":true,\"nlink\":2,\"mtime\":2}],\n"
      "{\"name\":\"to_a\",\"asize\":9,\"ino\":6,\"notreg\":true,\"mtime\":-11644473600},\n"
      "[{\"name\":\".dot\",\"excluded\":\"pattern\"}],\n"
      "[{\"name\":\"shut\",\"ino\":9,\"read_error\":true,\"mtime\":-11644473600}],\n"
      "{\"name\":\"two\",\"asize\":3,\"ino\":7,\"hlnkc\":true,\"nlink\":2,\"mtime\":-11644473600},"
      "\n"
      "{\"name\":\"s\\\"\\u0001.tmp\",\"excluded\":\"pattern\"}]]\n",
      platform.output_files["e.json"]);
  EXPECT_EQ("C:\\Work\r\n├── a\r\n├── to_a -> C:\\Work\\a\r\n└── shut\r\n", platform.output);
}

// "-" is standard output, which then holds the export alone; a file that cannot be made is told.
TEST_F(RunDriverTest, ExportGoesToOutputOrFailsWithStatusOne) {
  EXPECT_EQ(0, Run({"/Export=-", "/F"}));
  EXPECT_EQ(0u, platform.output.find("[1,2,{\"progname\":\"quovrel\""));
  EXPECT_EQ(std::string::npos, platform.output.find("\r\n"));
  platform.output.clear();
  platform.refuse_output_file.insert("e.json");
  EXPECT_EQ(1, Run({"--export=e.json"}));
  EXPECT_EQ("エクスポート先ファイルに書けません：e.json\r\nC:\\Work\r\n", platform.output);
}
