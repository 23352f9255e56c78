// The built program's front end: help, banner, the three messages and exit statuses, byte for
// byte, with nothing ever on standard error.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "chart_expect.h"
#include "common/fixed_texts.h"
#include "e2e_support.h"

namespace {

// What a run shows before any chart: the banner alone, with the help text, or with the help text
// and the extensions' block.
enum class FrontText { kBanner, kHelp, kLongHelp };

// The program's fixed texts for `shown`, in code page 932 as the system's converter gives them.
std::string Expected(FrontText shown) {
  std::string text = std::string(kProductTitle) + "    " + std::string(kVersionText) + "\r\n" +
                     Cp932(kNoticeText) + "\r\n\r\n";
  if (shown != FrontText::kBanner) {
    for (std::string_view line : kHelpLines) text += Cp932(line) + "\r\n";
  }
  if (shown == FrontText::kLongHelp) {
    for (std::string_view line : kExtensionHelpLines) text += Cp932(line) + "\r\n";
  }
  return text;
}

// Runs the program in a fresh empty folder, so that no relative path given can exist.
RunResult RunInEmptyFolder(const std::vector<std::string>& arguments) {
  TempTree tree;
  EXPECT_TRUE(tree.IsReady());
  return RunProgram(arguments, RunSettings{tree.Path(), {}});
}

const char kBannerTitle[] = "Quovrelant    Ver 2.03";

TEST(FrontEndToEnd, HelpSpellingsShowBannerAndHelp) {
  const std::string expected = Expected(FrontText::kHelp);
  for (const char* spelling : {"/?", "/H", "-h", "/help", "/HeLp"}) {
    SCOPED_TRACE(spelling);
    RunResult run = RunInEmptyFolder({spelling});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    std::vector<std::string> lines;
    ASSERT_TRUE(SplitCrLfLines(run.out, lines)) << "every line must end in CR LF";
    ASSERT_EQ(46u, lines.size());
    EXPECT_EQ(expected, run.out);
    EXPECT_EQ(kBannerTitle, lines[0]);
    EXPECT_EQ("", lines[2]);
    EXPECT_EQ("\x81\x79 \x8B\x40\x94\x5C \x81\x7A", lines[3].substr(0, 10));  // 【 機能 】
    EXPECT_EQ("/F+ (/F), /F-", lines[8]);
    EXPECT_EQ("\x81\x40", lines[9].substr(0, 2));      // the full-width space
    EXPECT_EQ("\x81\xA6 / ", lines[45].substr(0, 5));  // ※
  }
}

TEST(FrontEndToEnd, VerboseOffStillShowsTheBannerBeforeTheHelp) {
  RunResult run = RunInEmptyFolder({"/Verbose-", "/H"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Expected(FrontText::kHelp), run.out);
  EXPECT_EQ(0u, run.out.find(std::string(kBannerTitle) + "\r\n"));
}

TEST(FrontEndToEnd, VersionAloneShowsExactlyTheThreeBannerLines) {
  RunResult run = RunInEmptyFolder({"/V"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitCrLfLines(run.out, lines));
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(kBannerTitle, lines[0]);
  EXPECT_FALSE(lines[1].empty());
  EXPECT_EQ("", lines[2]);
  EXPECT_EQ(Expected(FrontText::kBanner), run.out);
}

// "--help": the banner, the help text of "/?" unchanged, then the extensions' block (whose
// lines the help text's unit tests check).
TEST(FrontEndToEnd, LongHelpAddsTheExtensionsBlock) {
  const std::string help = Expected(FrontText::kHelp);
  for (const char* spelling : {"--help", "--HELP"}) {
    SCOPED_TRACE(spelling);
    const RunResult run = RunInEmptyFolder({spelling});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(Expected(FrontText::kLongHelp), run.out);
    EXPECT_EQ(0u, run.out.find(help));
    std::vector<std::string> lines;
    ASSERT_TRUE(SplitCrLfLines(run.out, lines));
    EXPECT_EQ(46u + 41u, lines.size());
  }
}

// "--version" ends the run after the banner, whatever else the command line asks for.
TEST(FrontEndToEnd, LongVersionShowsTheBannerOnly) {
  const RunResult run = RunInEmptyFolder({"--version", "/F", "/Total"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Expected(FrontText::kBanner), run.out);
}

// After "--" an argument that starts with "-" or "/" is the folder.
TEST(FrontEndToEnd, DoubleHyphenEndsTheOptions) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("-F/x"));
  const RunResult run = RunProgram({"/F", "--", "-F"}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ("-F\r\n    x\r\n", run.out);
  const RunResult refused = RunProgram({"--", "/Total"}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(1, refused.status);
  EXPECT_EQ(Cp932("無効なフォルダです：/Total") + "\r\n", refused.out);
}

TEST(FrontEndToEnd, RefusedCommandLinesGiveOneMessageAndStatusOne) {
  const std::string option = Cp932("無効なオプションです：");
  const std::string output = Cp932("出力先を指定して下さい：");
  const std::string folder = Cp932("無効なフォルダです：");
  const struct {
    std::vector<std::string> arguments;
    std::string out;
  } rows[] = {
      {{"/X"}, option + "/X\r\n"},
      {{"/sizex=abc"}, option + "/SIZEX=abc\r\n"},
      {{"/outputtotal+="}, output + "/OUTPUTTOTAL+=\r\n"},
      {{"/OutputTotal"}, output + "/OUTPUTTOTAL\r\n"},
      {{"no/such/dir"}, folder + "no/such/dir\r\n"},
      {{""}, folder + "\r\n"},
      {{"/日本"}, option + Cp932("/日本") + "\r\n"},
      {{"/データ"}, option + Cp932("/データ") + "\r\n"},  // a second byte "f" stays as typed
      {{"存在しない"}, folder + Cp932("存在しない") + "\r\n"},
      {{"/H", "/X"}, option + "/X\r\n"},
      {{"/V", "no/such/dir"}, folder + "no/such/dir\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    RunResult run = RunInEmptyFolder(row.arguments);
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(row.out, run.out);
  }
}

// The message texts as raw bytes, so that a fault shared by the program's converter and the
// tests' one cannot hide.
TEST(FrontEndToEnd, MessageBytes) {
  RunResult run = RunInEmptyFolder({"/X"});
  EXPECT_EQ(
      "\x96\xB3\x8C\xF8\x82\xC8\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93\x82\xC5\x82\xB7\x81\x46"
      "/X\r\n",
      run.out);
  run = RunInEmptyFolder({""});
  EXPECT_EQ("\x96\xB3\x8C\xF8\x82\xC8\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xC5\x82\xB7\x81\x46\r\n",
            run.out);
}

TEST(FrontEndToEnd, NoArgumentsChartTheCurrentFolder) {
  TempTree tree;
  ASSERT_TRUE(tree.IsReady());
  RunResult run = RunProgram({}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(ShownPath(tree.Path()) + "\r\n", run.out);
}

TEST(FrontEndToEnd, FailedDriveChangeRefusesThePathAsTyped) {
  RunResult run = RunInEmptyFolder({"q:nothing"});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(Cp932("無効なフォルダです：q:nothing") + "\r\n", run.out);
}

// A current directory longer than the 259 bytes a fixed buffer held is shown whole.
TEST(FrontEndToEnd, LongCurrentFolderIsShownWhole) {
  if (HasRunner()) GTEST_SKIP() << "wine starts a program in C:\\windows from a folder this deep";
  TempTree tree;
  const std::string deep = std::string(150, 'c') + "/" + std::string(149, 'd');  // 300 bytes
  ASSERT_TRUE(tree.MakeFolder(deep));
  RunResult run = RunProgram({}, RunSettings{tree.Path(deep), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(tree.Path(deep) + "\r\n", run.out);
}

// A folder argument is never cut: its first 259 bytes here name its parent, which must not be
// charted in its place.
TEST(FrontEndToEnd, LongFolderArgumentIsTakenWhole) {
  TempTree tree;
  const std::string parent = std::string(129, 'a') + "/" + std::string(129, 'b');  // 259 bytes
  const std::string argument = parent + "/cccc";
  ASSERT_TRUE(tree.MakeFolder(parent));
  RunResult run = RunProgram({argument}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(Cp932("無効なフォルダです：") + argument + "\r\n", run.out);
  ASSERT_TRUE(tree.MakeFile(argument + "/f"));
  run = RunProgram({argument, "/F"}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(argument + "\r\n    f\r\n", run.out);
}

// On Linux a colon is an ordinary character, so "a:sub" is a folder here; the drive-relative
// rule still makes it the current directory and charts it under its full path.
TEST(FrontEndToEnd, DriveRelativeLookingPathIsChartedByItsFullPath) {
  if (HasRunner()) GTEST_SKIP() << "a drive letter means a drive under a runner";
  TempTree tree;
  ASSERT_TRUE(tree.MakeFolder("a:sub"));
  RunResult run = RunProgram({"a:sub"}, RunSettings{tree.Path(), {}});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(tree.Path("a:sub") + "\r\n", run.out);
}

TEST(E2eSupport, TempTreeRemovesEverythingEvenUnreadableFolders) {
  std::string root;
  {
    TempTree tree;
    ASSERT_TRUE(tree.MakeFile("a/b/c.bin", 5'000'000'000));
    ASSERT_TRUE(tree.MakeFolder("a/locked/inner"));
    ASSERT_TRUE(tree.SetTime("a/b/c.bin", 1'000'000'000));
    ASSERT_TRUE(tree.SetMode("a/locked", 0));
    struct stat info;
    ASSERT_EQ(0, stat(tree.Path("a/b/c.bin").c_str(), &info));
    EXPECT_EQ(5'000'000'000, info.st_size);
    EXPECT_EQ(1'000'000'000, info.st_mtime);
    root = tree.Path();
  }
  struct stat info;
  EXPECT_NE(0, stat(root.c_str(), &info));
}

TEST(E2eSupport, ShownPathFollowsTheRunner) {
  const char* saved = std::getenv("QUOVREL_RUNNER");
  const std::string kept = saved ? saved : "";
  unsetenv("QUOVREL_RUNNER");
  EXPECT_EQ("/tmp/x", ShownPath("/tmp/x"));
  setenv("QUOVREL_RUNNER", "wine64", 1);
  EXPECT_EQ("Z:\\tmp\\x", ShownPath("/tmp/x"));
  if (saved) {
    setenv("QUOVREL_RUNNER", kept.c_str(), 1);
  } else {
    unsetenv("QUOVREL_RUNNER");
  }
}

TEST(E2eSupport, ArgumentsReachTheProgramUntouchedByAShell) {
  RunResult run = RunInEmptyFolder({"$HOME"});
  EXPECT_EQ(Cp932("無効なフォルダです：") + "$HOME\r\n", run.out);
  run = RunInEmptyFolder({"/a b"});
  EXPECT_EQ(Cp932("無効なオプションです：") + "/A B\r\n", run.out);
}

}  // namespace
