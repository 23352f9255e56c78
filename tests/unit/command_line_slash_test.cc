// Arguments that begin with "/" where "/" also begins absolute paths: keywords stay options,
// paths become the folder exactly as typed, anything else is still a bad option.
#include "command_line_fixture.h"

namespace {

using namespace parse_test;

TEST_F(ParseCommandLineTest, SlashArgumentsWherePathsBeginWithSlash) {
  const struct {
    const char* argument;
    int status;
    const char* root_path;  // after a successful parse
    std::string output;
  } rows[] = {
      {"/C:/Work/Sub", 0, "/C:/Work/Sub", ""},   // a second "/" before any "=": a path
      {"/C:", 0, "/C:", ""},                     // no keyword, but an existing folder
      {"/f", 0, "C:\\Work", ""},                 // keywords win over folders
      {"/No/Such", -1, "", kInvalidFolder + "/No/Such\r\n"},
      {"/nosuch", -1, "", kInvalidOption + "/NOSUCH\r\n"},
      {"/sum=/x/y", 0, "C:\\Work", ""},           // a "/" after the "=" is no path
      {"-C:/Work", -1, "", kInvalidOption + "-C:/WORK\r\n"},  // only "/" begins a path
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.argument);
    options = AppOptions{};
    platform.output.clear();
    platform.slash_paths = true;
    EXPECT_EQ(row.status, Parse({row.argument}));
    EXPECT_EQ(row.output, platform.output);
    if (row.status == 0) {
      EXPECT_EQ(row.root_path, options.RootPath.Shown);
    }
  }
}

TEST_F(ParseCommandLineTest, SlashArgumentsStayOptionsOnWindows) {
  platform.slash_paths = false;
  EXPECT_EQ(-1, Parse({"/C:/Work/Sub"}));
  EXPECT_EQ(kInvalidOption + "/C:/WORK/SUB\r\n", platform.output);
}

}  // namespace
