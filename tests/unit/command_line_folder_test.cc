// The command-line parser's folder argument: defaults, long paths kept whole, the
// drive-relative rule, an unreadable current directory and the existence test.
#include "command_line_fixture.h"

namespace {

using namespace parse_test;

TEST_F(ParseCommandLineTest, NoArgumentsKeepTheDefaults) {
  ASSERT_EQ(0, Parse({}));
  AppOptions expected;
  expected.RootPath = SameText("C:\\Work");
  expected.GlyphLast = kBoxLast;
  expected.GlyphMiddle = kBoxMiddle;
  expected.GlyphContinue = kBoxContinue;
  EXPECT_EQ(Describe(expected), Describe(options));
  EXPECT_TRUE(platform.output.empty());
}

// A long argument whose first 259 bytes name its parent: charted whole where it is a folder,
// refused whole where it is not, never cut into the parent.
TEST_F(ParseCommandLineTest, LongFolderArgumentIsKeptWhole) {
  const std::string parent(259, 'a');
  const std::string argument = parent + "\\bbbbb";
  platform.AddFolder(parent);
  EXPECT_EQ(-1, Parse({argument}));
  ASSERT_EQ(1u, platform.lines.size());
  EXPECT_EQ(kInvalidFolder + argument + "\r\n", platform.lines[0]);
  platform.AddFolder(argument);
  ASSERT_EQ(0, Parse({argument}));
  EXPECT_EQ(argument, options.RootPath.Shown);
}

TEST_F(ParseCommandLineTest, EmptyArgumentIsAFolderThatDoesNotExist) {
  EXPECT_EQ(-1, Parse({""}));
  EXPECT_EQ(kInvalidFolder + "\r\n", platform.output);
}

TEST_F(ParseCommandLineTest, DriveRelativePathBecomesTheCurrentDirectory) {
  const struct {
    const char* argument;
    const char* root_path;
    const char* current_directory;
  } rows[] = {
      {"C:", "C:\\Work", "C:\\Work"},
      {"C:Sub", "C:\\Work\\Sub", "C:\\Work\\Sub"},
      {"C:\\Work\\Sub", "C:\\Work\\Sub", "C:\\Work"},  // a backslash after the colon: as typed
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.argument);
    platform.current_directory = "C:\\Work";
    ASSERT_EQ(0, Parse({row.argument}));
    EXPECT_EQ(row.root_path, options.RootPath.Shown);
    EXPECT_EQ(row.current_directory, platform.current_directory);
  }
}

TEST_F(ParseCommandLineTest, FailedDriveChangeRefusesThePathAsTyped) {
  // "D:" exists, but the change to it fails: the failed change alone must refuse it.
  platform.AddFolder("D:\\Data");
  for (const char* argument : {"D:", "C:Missing", "C:file.txt"}) {
    SCOPED_TRACE(argument);
    platform.lines.clear();
    EXPECT_EQ(-1, Parse({argument}));
    ASSERT_EQ(1u, platform.lines.size());
    EXPECT_EQ(kInvalidFolder + argument + "\r\n", platform.lines[0]);
    EXPECT_EQ("C:\\Work", platform.current_directory);
  }
}

TEST_F(ParseCommandLineTest, UnreadableCurrentDirectoryIsChartedAsDot) {
  platform.AddFolder(".");
  platform.current_directory = "";
  ASSERT_EQ(0, Parse({}));
  EXPECT_EQ(".", options.RootPath.Shown);
}

TEST_F(ParseCommandLineTest, LongCurrentDirectoryIsKeptWhole) {
  const std::string deep(300, 'd');
  platform.AddFolder("C:\\" + deep);
  platform.current_directory = "C:\\" + deep;
  ASSERT_EQ(0, Parse({}));
  EXPECT_EQ("C:\\" + deep, options.RootPath.Shown);
  // Also where the drive-relative rule reads it back.
  platform.AddFolder("C:\\" + deep + "\\" + deep);
  ASSERT_EQ(0, Parse({"C:" + deep}));
  EXPECT_EQ("C:\\" + deep + "\\" + deep, options.RootPath.Shown);
}

}  // namespace
