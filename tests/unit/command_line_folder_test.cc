// The command-line parser's folder argument: defaults, the 259-byte cut, the drive-relative
// rule, an unreadable current directory and the existence test.
#include <cstring>

#include "command_line_fixture.h"

namespace {

using namespace parse_test;

TEST_F(ParseCommandLineTest, NoArgumentsKeepTheDefaults) {
  ASSERT_EQ(0, Parse({}));
  AppOptions expected;
  std::strcpy(expected.RootPath, "C:\\Work");
  expected.GlyphLast = kBoxLast;
  expected.GlyphMiddle = kBoxMiddle;
  expected.GlyphContinue = kBoxContinue;
  EXPECT_EQ(Describe(expected), Describe(g_options));
  EXPECT_TRUE(platform.output.empty());
}

TEST_F(ParseCommandLineTest, FolderArgumentIsCutToTwoHundredFiftyNineBytes) {
  const std::string folder(259, 'a');
  platform.AddFolder(folder);
  ASSERT_EQ(0, Parse({folder + "bbbbbbbbbb"}));
  EXPECT_EQ(folder, g_options.RootPath);
  EXPECT_EQ(0, g_options.RootPath[kPathBufferSize - 1]);
}

TEST_F(ParseCommandLineTest, MessageShowsTheCutFolderText) {
  EXPECT_EQ(-1, Parse({std::string(300, 'x')}));
  ASSERT_EQ(1u, platform.lines.size());
  EXPECT_EQ(kInvalidFolder + std::string(259, 'x') + "\r\n", platform.lines[0]);
}

TEST_F(ParseCommandLineTest, ShorterLaterFolderLeavesOnlyZerosBehindIt) {
  ASSERT_EQ(0, Parse({std::string(300, 'x'), "C:\\Work"}));
  EXPECT_STREQ("C:\\Work", g_options.RootPath);
  for (size_t i = 7; i < kPathBufferSize; ++i) EXPECT_EQ(0, g_options.RootPath[i]) << i;
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
    EXPECT_STREQ(row.root_path, g_options.RootPath);
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
  platform.current_directory = "C:\\" + std::string(300, 'd');
  ASSERT_EQ(0, Parse({}));
  EXPECT_STREQ(".", g_options.RootPath);
}

TEST_F(ParseCommandLineTest, UnreadableDirectoryAfterTheDriveChangeIsChartedAsDot) {
  const std::string deep(255, 'd');  // "C:\Work\" and it: 263 bytes, more than the field holds
  platform.AddFolder("C:\\Work\\" + deep);
  platform.AddFolder(".");
  ASSERT_EQ(0, Parse({"C:" + deep}));
  EXPECT_STREQ(".", g_options.RootPath);
  EXPECT_EQ("C:\\Work\\" + deep, platform.current_directory);
}

}  // namespace
