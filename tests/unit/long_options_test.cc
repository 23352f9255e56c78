// The long options: each sets what its classic keyword sets; values, abbreviations and refusals.
#include "command_line_fixture.h"

namespace {

using namespace parse_test;

// A long command line parses to the very record its classic spelling does.
TEST_F(ParseCommandLineTest, LongOptionsSetWhatTheirKeywordsSet) {
  const struct {
    std::vector<std::string> long_form;
    std::vector<std::string> classic;
  } rows[] = {
      {{"--depth", "2", "--sort=size", "--reverse", "--human-readable", "--total", "C:\\Work"},
       {"C:\\Work", "/L=2", "/SS", "/Descend", "/Human", "/Total"}},
      {{"--files", "--size", "--time", "--sum", "--ascii", "--folders-first"},
       {"/F", "/Size", "/Time", "/Sum", "/A", "/FolderFirst"}},
      {{"--output-total", "t.txt", "--max-depth=0", "--exclude", "*.o", "--exclude=b"},
       {"/OutputTotal=t.txt", "/L=0", "/X=*.o", "/X=b"}},
      {{"--dot-folders", "--one-file-system", "--no-links", "--links", "--files-first"},
       {"/DotFolders", "/OneFileSystem", "/Links-", "/Links", "/FileFirst"}},
      {{"--sort", "ext", "--charset=UTF-8", "--color=never"}, {"/SE", "/UTF8", "/Color-"}},
      {{"--SORT=None", "--charset", "cp932", "--color"}, {"/NoSort", "/UTF8-", "/Color+"}},
      {{"--fo", "--hu", "--max=3", "--col=auto", "--so=t"}, {"/OF", "/Human", "/L=3", "/ST"}},
      {{"--exclude", "--help", "--color=always"}, {"/X=--help", "/Color"}},
      {{"--disk-usage", "--apparent-size", "--links"}, {"/DU", "/Apparent", "/Links+"}},
      {{"--json", "--charset=cp932"}, {"/Json", "/UTF8-"}},  // the document is UTF-8 all the same
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.long_form));
    options = AppOptions{};
    ASSERT_EQ(0, Parse(row.classic));
    const std::string expected = Describe(options) + " color=" + std::to_string(options.ColorWhen);
    options = AppOptions{};
    ASSERT_EQ(0, Parse(row.long_form));
    EXPECT_EQ(expected, Describe(options) + " color=" + std::to_string(options.ColorWhen));
  }
}

// Unknown, ambiguous, valueless and mistaken long options get the invalid option message, the
// key upper-cased and a value given apart after a blank.
TEST_F(ParseCommandLineTest, BadLongOptionsAreNamedInTheMessage) {
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } rows[] = {
      {{"--bogus"}, kInvalidOption + "--BOGUS\r\n"},
      {{"--files=1"}, kInvalidOption + "--FILES=1\r\n"},
      {{"--fil"}, kInvalidOption + "--FIL\r\n"},        // files or files-first
      {{"--sort=n"}, kInvalidOption + "--SORT=n\r\n"},  // none or name
      {{"--sort", "big"}, kInvalidOption + "--SORT big\r\n"},
      {{"--depth", "x"}, kInvalidOption + "--DEPTH x\r\n"},
      {{"--exclude"}, kInvalidOption + "--EXCLUDE\r\n"},
      {{"--output-total"}, kNoOutputFile + "--OUTPUT-TOTAL\r\n"},
      {{"--color", "always"}, kInvalidFolder + "always\r\n"},  // a value only after "="
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    platform.output.clear();
    EXPECT_EQ(-1, Parse(row.arguments));
    EXPECT_EQ(row.message, platform.output);
  }
}

// "-L N" and "-j N" take the next argument only where the parser is told to; "-L=N" always works.
TEST_F(ParseCommandLineTest, DepthApartOnlyWhereAllowed) {
  for (const bool is_allowed : {false, true}) {
    std::vector<PathText> arguments = RunArguments({"-L", "2", "-j", "3", "C:\\Work\\Sub"});
    options = AppOptions{};
    EXPECT_EQ(is_allowed ? 0 : -1, ParseCommandLine(platform, arguments, options, is_allowed));
    EXPECT_EQ(is_allowed ? 2 : kNoDepthLimit, options.MaxDepth);
    EXPECT_EQ(is_allowed ? 3u : 0u, options.WalkThreads);
  }
}

}  // namespace

// Names are coloured where asked, and by default on a colour screen for a UTF-8 chart alone,
// unless NO_COLOR is set or the terminal is dumb.
TEST_F(ParseCommandLineTest, ColorFollowsTheWishTheChartAndTheScreen) {
  const struct {
    const char* color;
    bool is_utf8, is_screen;
    const char* no_color;
    const char* term;
    bool is_shown;
  } rows[] = {
      {"--color=auto", true, true, "", "xterm", true},
      {"--color=auto", false, true, "", "xterm", false},  // a code page 932 chart
      {"--color=auto", true, false, "", "xterm", false},  // a pipe
      {"--color=auto", true, true, "1", "xterm", false},
      {"--color=auto", true, true, "", "dumb", false},
      {"--color=always", false, false, "1", "dumb", true},
      {"/Color+", false, false, "", "", true},
      {"/Color-", true, true, "", "xterm", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.color);
    platform.color_screen = row.is_screen;
    platform.environment = {{"NO_COLOR", row.no_color}, {"TERM", row.term}};
    options = AppOptions{};
    ASSERT_EQ(0, Parse({row.color, row.is_utf8 ? "/UTF8" : "/UTF8-"}));
    EXPECT_EQ(row.is_shown, options.ShowColor);
  }
}
