// The command-line parser's options: keywords, in-place upper-casing, later-wins, derived
// flags and connector texts, and the messages byte for byte.
#include "command_line_fixture.h"

namespace {

using namespace parse_test;

// Each switch keyword, in every spelling, sets its one field and nothing else.
TEST_F(ParseCommandLineTest, EverySwitchKeywordSetsItsFieldOnly) {
  struct Row {
    const char* keyword;
    bool AppOptions::*field;
    bool value;
  };
  const Row rows[] = {
      {"A+", &AppOptions::UseAsciiGlyphs, true},
      {"A", &AppOptions::UseAsciiGlyphs, true},
      {"A-", &AppOptions::UseAsciiGlyphs, false},
      {"FileFirst", &AppOptions::FilesFirst, true},
      {"IF", &AppOptions::FilesFirst, true},
      {"FolderFirst", &AppOptions::FilesFirst, false},
      {"OF", &AppOptions::FilesFirst, false},
      {"Help", &AppOptions::ShowHelp, true},
      {"H", &AppOptions::ShowHelp, true},
      {"?", &AppOptions::ShowHelp, true},
      {"F+", &AppOptions::ShowFiles, true},
      {"F", &AppOptions::ShowFiles, true},
      {"F-", &AppOptions::ShowFiles, false},
      {"Size+", &AppOptions::ShowSize, true},
      {"Size", &AppOptions::ShowSize, true},
      {"Size-", &AppOptions::ShowSize, false},
      {"Sum+", &AppOptions::ShowSum, true},
      {"Sum", &AppOptions::ShowSum, true},
      {"Sum-", &AppOptions::ShowSum, false},
      {"Time+", &AppOptions::ShowTime, true},
      {"Time", &AppOptions::ShowTime, true},
      {"Time-", &AppOptions::ShowTime, false},
      {"Total+", &AppOptions::ShowTotal, true},
      {"Total", &AppOptions::ShowTotal, true},
      {"Total-", &AppOptions::ShowTotal, false},
      {"Ascend", &AppOptions::Ascending, true},
      {"Descend", &AppOptions::Ascending, false},
      {"Verbose+", &AppOptions::ShowVersion, true},
      {"Verbose", &AppOptions::ShowVersion, true},
      {"V", &AppOptions::ShowVersion, true},
      {"Verbose-", &AppOptions::ShowVersion, false},
      {"OneFileSystem+", &AppOptions::OneFileSystem, true},
      {"OneFileSystem", &AppOptions::OneFileSystem, true},
      {"OneFileSystem-", &AppOptions::OneFileSystem, false},
      {"Links+", &AppOptions::FollowLinks, true},
      {"Links", &AppOptions::FollowLinks, true},
      {"Links-", &AppOptions::FollowLinks, false},
      {"DotFolders+", &AppOptions::ShowDotFolders, true},
      {"DotFolders", &AppOptions::ShowDotFolders, true},
      {"DotFolders-", &AppOptions::ShowDotFolders, false},
      {"Json+", &AppOptions::ShowJson, true},
      {"Json", &AppOptions::ShowJson, true},
      {"Json-", &AppOptions::ShowJson, false},
      {"Human+", &AppOptions::ShowHumanSizes, true},
      {"Human", &AppOptions::ShowHumanSizes, true},
      {"Human-", &AppOptions::ShowHumanSizes, false},
  };
  for (const Row& row : rows) {
    const std::string upper = [&] {
      std::string s = row.keyword;
      for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return s;
    }();
    for (const std::string& spelling : {std::string(row.keyword), upper, ToLower(upper)}) {
      for (const char* prefix : {"/", "-"}) {
        SCOPED_TRACE(prefix + spelling);
        options = AppOptions{};
        options.*row.field = !row.value;
        AppOptions expected = options;
        expected.*row.field = row.value;
        expected.RootPath = SameText("C:\\Work");
        DeriveSettings(expected);
        ASSERT_EQ(0, Parse({prefix + spelling}));
        EXPECT_EQ(Describe(expected), Describe(options));
        EXPECT_EQ(prefix + upper, args[0]);  // upper-cased in place, prefix kept
      }
    }
  }
  EXPECT_TRUE(platform.output.empty());
}

// du's accounting charts dot-folders and enters no folder link, unless a later option says so.
TEST_F(ParseCommandLineTest, DiskUsageSetsDotFoldersAndLinksUntilALaterOptionDoes) {
  const char* rows[][3] = {
      {"/DiskUsage", "/Links+", "111"}, {"/Links+", "/du", "110"}, {"/DU", "/DotFolders-", "100"}};
  for (const auto& row : rows) {
    options = AppOptions{};
    ASSERT_EQ(0, Parse({row[0], row[1]}));
    EXPECT_EQ(row[2], std::to_string(100 * options.CountDiskUsage + 10 * options.ShowDotFolders +
                                     options.FollowLinks))
        << row[0] << " " << row[1];  // disk usage, dot-folders, links
  }
}

TEST_F(ParseCommandLineTest, EverySortKeywordSetsTheSortKey) {
  const struct {
    const char* argument;
    int32_t before;
    int32_t after;
  } rows[] = {
      {"/NoSort", 3, 0},     {"-nosort", 1, 0}, {"/SortByName", 0, 1}, {"-sn", 4, 1},
      {"/SortByExt", 0, 2},  {"/se", 1, 2},     {"-SORTBYSIZE", 0, 3}, {"/Ss", 2, 3},
      {"/sortbytime", 0, 4}, {"-ST", 3, 4},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.argument);
    options = AppOptions{};
    options.SortKey = row.before;
    ASSERT_EQ(0, Parse({row.argument}));
    EXPECT_EQ(row.after, options.SortKey);
  }
}

TEST_F(ParseCommandLineTest, OutputTotalTakesTheBytesAfterTheFirstEqualsSign) {
  const struct {
    const char* argument;
    const char* before;
    const char* after;
  } rows[] = {
      {"/OutputTotal+=Out.Txt", "", "Out.Txt"},
      {"-outputtotal=Out.Txt", "", "Out.Txt"},
      {"/OUTPUTTOTAL+=a=B=c", "", "a=B=c"},
      {"/OutputTotal=x", "longer-name.txt", "x"},
      {"/OutputTotal-", "name", ""},
      {"-outputtotal-=name", "name", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.argument);
    options = AppOptions{};
    options.TotalFileName = SameText(row.before);
    ASSERT_EQ(0, Parse({row.argument}));
    EXPECT_EQ(row.after, options.TotalFileName.Shown);
    EXPECT_EQ(row.after, options.TotalFileName.Native);
  }
  EXPECT_TRUE(platform.output.empty());
}

TEST_F(ParseCommandLineTest, OutputTotalNameIsKeptWholeHoweverLong) {
  const std::string name = std::string(300, 'n') + ".txt";
  ASSERT_EQ(0, Parse({"/OutputTotal=" + name}));
  EXPECT_EQ(name, options.TotalFileName.Shown);
}

// The parser reads the shown texts only; the folder argument and the total file keep the native
// forms the platform gave, so two names that show alike ("?") stay apart.
TEST_F(ParseCommandLineTest, FolderAndTotalFileKeepTheirNativeForms) {
  platform.AddFolder("C:\\Work\\kim");
  std::vector<PathText> arguments = {SameText("quovrel"),
                                     {"/OutputTotal+=a=???", "/OutputTotal+=a=hong"},
                                     {"C:\\Work\\???", "C:\\Work\\kim"}};
  ASSERT_EQ(0, ParseCommandLine(platform, arguments, options));
  EXPECT_EQ("/OUTPUTTOTAL+=a=???", arguments[1].Shown);
  EXPECT_EQ("a=???|a=hong", Describe(options.TotalFileName));
  EXPECT_EQ("C:\\Work\\???|C:\\Work\\kim", Describe(options.RootPath));
}

// A pattern character that code page 932 lacks shows as "?", which would match any character:
// such a pattern is refused, while a "?" typed as such is a wildcard.
TEST_F(ParseCommandLineTest, PatternsWithCharactersTheCodePageLacksAreRefused) {
  std::vector<PathText> arguments = {
      SameText("quovrel"), {"/X=?*", "/X=?*"}, {"/X=a?b=?", "/X=a?b=?"}};
  ASSERT_EQ(0, ParseCommandLine(platform, arguments, options));
  EXPECT_EQ((std::vector<std::string>{"?*", "a?b=?"}), options.ExcludePatterns);
  arguments = {SameText("quovrel"), {"/X=?*", "/X=\xF0\x9F\x98\x80*", true}};  // an emoji
  EXPECT_EQ(-1, ParseCommandLine(platform, arguments, options));
  EXPECT_EQ(kInvalidOption + "/X=?*\r\n", platform.output);
  // A UTF-8 chart shows the emoji itself: the argument is shown anew from its native form.
  options = AppOptions{};
  arguments = {SameText("quovrel"), SameText("/UTF8"), {"/X=?*", "/X=\xF0\x9F\x98\x80*", true}};
  ASSERT_EQ(0, ParseCommandLine(platform, arguments, options));
  EXPECT_EQ((std::vector<std::string>{"\xF0\x9F\x98\x80*"}), options.ExcludePatterns);
}

TEST_F(ParseCommandLineTest, UpperCasesOnlyTheKeyAndOnlyAToZ) {
  const struct {
    const char* argument;
    const char* after;
  } rows[] = {
      {"/sum=abc", "/SUM=abc"},
      {"-f+=x=y", "-F+=x=y"},
      {"/size-", "/SIZE-"},
      {"/a=\x83\x76", "/A=\x83\x76"},  // after the "=": a trail byte in a-z is kept
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.argument);
    ASSERT_EQ(0, Parse({row.argument}));
    EXPECT_EQ(row.after, args[0]);
  }
}

// An unknown key, and a value an option refuses, each give the invalid option message.
TEST_F(ParseCommandLineTest, InvalidOptionsAreEchoedUpperCasedBeforeTheEqualsSign) {
  const struct {
    const char* argument;
    std::string echoed;
  } rows[] = {
      {"/X", "/X"},
      {"/", "/"},
      {"-", "-"},
      {"/=abc", "/=abc"},
      {"-=", "-="},
      {"/sum+x", "/SUM+X"},
      {"/SIZEx", "/SIZEX"},
      {"/sizex=abc", "/SIZEX=abc"},
      {"/az`{@[", "/AZ`{@["},  // only 0x61-0x7A change, not their neighbours
      {"/\x83\x66\x81\x5B\x83\x5E", "/\x83\x66\x81\x5B\x83\x5E"},  // "データ": trail bytes kept
      {"/x\x83\x76y", "/X\x83\x76Y"},  // "プ" between letters: its trail byte 0x76 too
      {"/?x", "/?X"},
      {"/ a", "/ A"},
      {"/Depth", "/DEPTH"},  // a depth: decimal digits alone
      {"/l=", "/L="},
      {"/L=-1", "/L=-1"},
      {"/L=+1", "/L=+1"},
      {"/L=1.5", "/L=1.5"},
      {"/L= 1", "/L= 1"},
      {"/depth=1k", "/DEPTH=1k"},
      {"/Threads=0", "/THREADS=0"},  // threads: 1 to 1024
      {"/j=1025", "/J=1025"},
      {"/threads=99999999999999999999", "/THREADS=99999999999999999999"},
      {"/Threads", "/THREADS"},
      {"/x=", "/X="},  // a pattern: not empty, no "/"
      {"/Exclude", "/EXCLUDE"},
      {"/X=src/*.o", "/X=src/*.o"},
      {"/export=", "/EXPORT="},  // an export needs a file name
      {"/utf8x", "/UTF8X"},
      {"/UTF-8", "/UTF-8"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.argument);
    platform.lines.clear();
    EXPECT_EQ(-1, Parse({row.argument}));
    EXPECT_EQ(row.echoed, args[0]);
    ASSERT_EQ(1u, platform.lines.size());
    EXPECT_EQ(kInvalidOption + row.echoed + "\r\n", platform.lines[0]);
  }
}

// A saved scan is not exported again, whichever comes first.
TEST_F(ParseCommandLineTest, ExportOfASavedScanIsRefused) {
  for (const auto& order : {std::pair{"/Import=s.json", "/Export=e"}, {"/Export=e", "/Import=s"}}) {
    platform.lines.clear();
    EXPECT_EQ(-1, Parse({order.first, order.second}));
    ASSERT_EQ(1u, platform.lines.size());
    EXPECT_EQ(kInvalidOption + "/EXPORT\r\n", platform.lines[0]);
  }
}

// The options that take a value read the text after the first "=": a depth, or one more
// pattern, which every later one joins until "/Exclude-" clears them.
TEST_F(ParseCommandLineTest, DepthExcludeAndExportTakeTheirValues) {
  const struct {
    std::vector<std::string> arguments;
    std::string shown;
  } rows[] = {
      {{"/Depth=3"}, "depth=3"},
      {{"-l=0"}, "depth=0"},
      {{"/L=007"}, "depth=7"},
      {{"/Depth=99999999999999999999"}, "depth=2147483647"},  // no tree is that deep
      {{"/L=2", "/Depth-"}, "depth=2147483647"},
      {{"/Depth-", "/L=2"}, "depth=2"},
      {{"/L=1", "/L=4"}, "depth=4"},
      {{"/X=*.o"}, "exclude=[*.o|]"},
      {{"/x=*.O", "/Exclude=Build"}, "exclude=[*.O|Build|]"},  // both apply, case as typed
      {{"/X=a", "/X=a"}, "exclude=[a|a|]"},
      {{"/X=a=b", "/X=[!x]"}, "exclude=[a=b|[!x]|]"},
      {{"/X=a", "/Exclude-", "/exclude=b"}, "exclude=[b|]"},
      {{"/X=a", "/Exclude-=b"}, "exclude=[]"},
      {{"/Export=e.json", "/L=1"}, "export=[e.json] exportOnOutput=0"},
      {{"/Export=-", "/L=1"}, "scanDepth=2147483647"},  // an export holds every level
      {{"--export", "-"}, "export=[-] exportOnOutput=1"},
      {{"/Export=a", "/Export-"}, "export=[] exportOnOutput=0"},
      {{}, "threads=0"},  // the walker chooses
      {{"/Threads=8"}, "threads=8"},
      {{"--threads=1024", "/J=01"}, "threads=1"},
      {{"/J=3", "/Threads-"}, "threads=0"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    options = AppOptions{};
    ASSERT_EQ(0, Parse(row.arguments));
    const std::string described = std::string(" ").append(Describe(options));
    EXPECT_NE(std::string::npos, described.find(std::string(" ").append(row.shown))) << described;
  }
  EXPECT_TRUE(platform.output.empty());
}

// "--help" and "--version" in any case, and only after "-", whatever else the command line holds;
// after "--" every argument is the folder, whatever it begins with.
TEST_F(ParseCommandLineTest, LongOptionsAndTheEndOfOptions) {
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string shown;  // a part of the record after a successful parse, else the message
  } rows[] = {
      {{"--help"}, 0, "help=1"},
      {{"--Help"}, 0, "extensionHelp=1"},
      {{"--HELP", "/?"}, 0, "version=1"},
      {{"--version"}, 0, "versionAlone=1"},
      {{"--version", "/Verbose-"}, 0, "version=1"},
      {{"--version", "/bogus", "/L=x", "/X=", "/OutputTotal"}, 0, "versionAlone=1"},
      {{"C:\\Nowhere", "--help"}, 0, "extensionHelp=1"},
      {{"--", "--version"}, -1, kInvalidFolder + "--version\r\n"},
      {{"/-help"}, -1, kInvalidOption + "/-HELP\r\n"},
      {{"--helpx"}, -1, kInvalidOption + "--HELPX\r\n"},
      {{"--", "C:\\Work\\Sub"}, 0, "root=[C:\\Work\\Sub]"},
      {{"--", "/F"}, -1, kInvalidFolder + "/F\r\n"},
      {{"--", "/X"}, -1, kInvalidFolder + "/X\r\n"},
      {{"--", "--"}, -1, kInvalidFolder + "--\r\n"},
      {{"/F", "--", "C:\\Work\\Sub", "/A"}, -1, kInvalidFolder + "/A\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    options = AppOptions{};
    platform.output.clear();
    ASSERT_EQ(row.status, Parse(row.arguments));
    if (row.status != 0) {
      EXPECT_EQ(row.shown, platform.output);
      continue;
    }
    const std::string described = std::string(" ").append(Describe(options));
    EXPECT_NE(std::string::npos, described.find(std::string(" ").append(row.shown))) << described;
  }
}

TEST_F(ParseCommandLineTest, OutputTotalWithoutNameGivesItsMessage) {
  const struct {
    const char* argument;
    const char* echoed;
  } rows[] = {
      {"/OutputTotal", "/OUTPUTTOTAL"},
      {"/outputtotal+=", "/OUTPUTTOTAL+="},
      {"-OutputTotal=", "-OUTPUTTOTAL="},
      {"/OUTPUTTOTAL+", "/OUTPUTTOTAL+"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.argument);
    platform.lines.clear();
    EXPECT_EQ(-1, Parse({row.argument}));
    ASSERT_EQ(1u, platform.lines.size());
    EXPECT_EQ(kNoOutputFile + row.echoed + "\r\n", platform.lines[0]);
  }
}

TEST_F(ParseCommandLineTest, ProcessingStopsAtTheFirstFailure) {
  const struct {
    std::vector<std::string> arguments;
    std::string line;
  } rows[] = {
      {{"/X", "/y"}, kInvalidOption + "/X"},
      {{"/X", "C:\\Nowhere"}, kInvalidOption + "/X"},
      {{"C:\\Nowhere", "/X"}, kInvalidOption + "/X"},  // the folder is tested after the last
      {{"/?", "/X"}, kInvalidOption + "/X"},           // help does not shield a bad option
      {{"/H", "C:\\Nowhere"}, kInvalidFolder + "C:\\Nowhere"},
      {{"/OutputTotal", "/X"}, kNoOutputFile + "/OUTPUTTOTAL"},
      {{"C:\\Work\\file.txt"}, kInvalidFolder + "C:\\Work\\file.txt"},
      {{"C:\\Work", ""}, kInvalidFolder},
      {{"Sub"}, kInvalidFolder + "Sub"},  // no drive: not resolved against the current one
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    platform.lines.clear();
    EXPECT_EQ(-1, Parse(row.arguments));
    ASSERT_EQ(1u, platform.lines.size());
    EXPECT_EQ(row.line + "\r\n", platform.lines[0]);
  }
  Parse({"/X", "/y"});
  EXPECT_EQ("/y", args[1]);  // never examined, so never upper-cased
}

TEST_F(ParseCommandLineTest, FailureLeavesTheDerivedFieldsUnset) {
  EXPECT_EQ(-1, Parse({"/SS", "/H", "/X"}));
  EXPECT_EQ(SortBySize, options.SortKey);
  EXPECT_TRUE(options.ShowHelp);
  EXPECT_FALSE(options.ShowVersion);
  EXPECT_FALSE(options.NeedFileInfo);
  EXPECT_TRUE(options.GlyphLast.empty());
}

TEST_F(ParseCommandLineTest, LaterArgumentsWin) {
  const struct {
    std::vector<std::string> arguments;
    std::string shown;
  } rows[] = {
      {{"/F+", "/F-"}, "files=0"},
      {{"/F-", "/F+"}, "files=1"},
      {{"/SN", "/ST"}, "sortKey=4"},
      {{"/ST", "/NoSort"}, "sortKey=0"},
      {{"/A", "/A-"}, "ascii=0"},
      {{"/Descend", "/Ascend"}, "ascending=1"},
      {{"/Verbose", "/Verbose-"}, "version=0"},
      {{"/OutputTotal+=x", "/OutputTotal-"}, "totalFile=[]"},
      {{"/OutputTotal-", "/OutputTotal+=x"}, "totalFile=[x]"},
      {{"/OutputTotal=long.txt", "/OutputTotal=b"}, "totalFile=[b]"},
      {{"C:\\Nowhere", "C:\\Work\\Sub"}, "root=[C:\\Work\\Sub]"},
      {{"C:\\Work", "/F", "C:\\Work\\Sub"}, "root=[C:\\Work\\Sub]"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shown);
    options = AppOptions{};
    ASSERT_EQ(0, Parse(row.arguments));
    const std::string described = std::string(" ").append(Describe(options));
    EXPECT_NE(std::string::npos, described.find(std::string(" ").append(row.shown))) << described;
  }
}

// Each question the passes ask of the options, answered once by the parser.
TEST_F(ParseCommandLineTest, DerivedFlagsFollowTheSwitches) {
  const struct {
    std::vector<std::string> arguments;
    std::string needs;
  } rows[] = {
      {{}, ""},
      {{"/F"}, "FileEntries"},
      {{"/SS"}, "FileInfo FileEntries SortKeys OwnSums CumulativeTotals"},
      {{"/ST"}, "FileInfo FileEntries SortKeys"},
      {{"/SE"}, "SortKeys"},
      {{"/SN"}, "SortKeys"},
      {{"/SS", "/NoSort"}, ""},
      {{"/Time"}, "FileInfo FileEntries ItemDetails"},
      {{"/Time", "/F"}, "FileInfo FileEntries ItemDetails TimeTexts"},
      {{"/Size"}, "FileInfo FileEntries ItemDetails"},
      {{"/Sum"}, "FileInfo FileEntries FolderSums OwnSums"},
      {{"/Total"}, "FileInfo FileEntries FolderSums OwnSums CumulativeTotals"},
      {{"/OutputTotal=t.txt"}, "TotalFile FileInfo FileEntries OwnSums CumulativeTotals"},
      {{"/OutputTotal=t.txt", "/OutputTotal-"}, ""},
      {{"/F", "/A", "/Descend", "/OF"}, "FileEntries"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    options = AppOptions{};
    ASSERT_EQ(0, Parse(row.arguments));
    EXPECT_EQ(row.needs, DescribeNeeds(options));
  }
}

// The walk stops where the chart does unless something counted needs more: a folder's own files
// need the folders at the depth shown entered, totals and the size order everything.
TEST_F(ParseCommandLineTest, TheDepthWalkedFollowsWhatIsCounted) {
  const struct {
    std::vector<std::string> arguments;
    int32_t scan_depth;
  } rows[] = {
      {{}, kNoDepthLimit},
      {{"/L=2"}, 2},
      {{"/L=0"}, 0},
      {{"/L=2", "/F", "/Size", "/Time", "/ST"}, 2},
      {{"/L=2", "/Sum"}, 3},
      {{"/L=2", "/Total"}, kNoDepthLimit},
      {{"/L=2", "/SS"}, kNoDepthLimit},
      {{"/L=2", "/OutputTotal=t.txt"}, kNoDepthLimit},
      {{"/L=2147483647", "/Sum"}, kNoDepthLimit},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    options = AppOptions{};
    ASSERT_EQ(0, Parse(row.arguments));
    EXPECT_EQ(row.scan_depth, options.ScanDepthLimit);
  }
}

TEST_F(ParseCommandLineTest, HelpForcesTheBanner) {
  const struct {
    std::vector<std::string> arguments;
    bool version;
  } rows[] = {
      {{"/H", "/Verbose-"}, true},
      {{"/Verbose-", "/?"}, true},
      {{"/Verbose-"}, false},
      {{"/V"}, true},
      {{}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    options = AppOptions{};
    ASSERT_EQ(0, Parse(row.arguments));
    EXPECT_EQ(row.version, options.ShowVersion);
  }
}

// The last "/UTF8+" or "/UTF8-" before "--" decides, else the platform's default; the first
// message is already in the encoding settled.
TEST_F(ParseCommandLineTest, TheChartsEncodingIsSettledBeforeAnyMessage) {
  const struct {
    bool utf8_default;
    std::vector<std::string> arguments;
    int32_t utf8;
  } rows[] = {
      {false, {}, Utf8Off},
      {true, {}, Utf8On},
      {false, {"/UTF8"}, Utf8On},
      {false, {"-utf8+"}, Utf8On},
      {true, {"/UTF8-"}, Utf8Off},
      {false, {"/UTF8", "/Utf8-"}, Utf8Off},
      {true, {"/UTF8-", "/UTF8=x"}, Utf8On},  // as "/A=x" is "/A"
      {false, {"/UTF8", "--", "C:\\Work\\Sub"}, Utf8On},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    options = AppOptions{};
    RecordingPlatform fresh_platform;
    fresh_platform.AddFolder("C:\\Work\\Sub");
    fresh_platform.utf8_default = row.utf8_default;
    std::vector<PathText> arguments = {SameText("quovrel")};
    for (const std::string& argument : row.arguments) arguments.push_back(SameText(argument));
    ASSERT_EQ(0, ParseCommandLine(fresh_platform, arguments, options));
    EXPECT_EQ(row.utf8, options.Utf8);
    EXPECT_EQ(row.utf8 == Utf8On, options.IsUtf8Chart);
    EXPECT_EQ(row.utf8 == Utf8On, fresh_platform.IsUtf8Texts());
  }
  std::vector<PathText> arguments = {SameText("quovrel"), SameText("/bogus"), SameText("/UTF8")};
  EXPECT_EQ(-1, ParseCommandLine(platform, arguments, options));
  EXPECT_EQ(std::string("無効なオプションです：/BOGUS\r\n"), platform.output);
}

TEST_F(ParseCommandLineTest, ConnectorTextsFollowTheAsciiSwitch) {
  const struct {
    std::vector<std::string> arguments;
    std::string last, middle, vertical;
  } rows[] = {
      {{}, kBoxLast, kBoxMiddle, kBoxContinue},
      {{"/A-"}, kBoxLast, kBoxMiddle, kBoxContinue},
      {{"/A"}, "`---", "+---", "|   "},
      {{"-a+"}, "`---", "+---", "|   "},
      {{"/A", "/A-"}, kBoxLast, kBoxMiddle, kBoxContinue},
      {{"/UTF8"}, "└── ", "├── ", "│   "},
      {{"/UTF8", "/A"}, "`-- ", "+-- ", "|   "},
      {{"/UTF8", "/UTF8-", "/A"}, "`---", "+---", "|   "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    options = AppOptions{};
    ASSERT_EQ(0, Parse(row.arguments));
    EXPECT_EQ(row.last, options.GlyphLast);
    EXPECT_EQ(row.middle, options.GlyphMiddle);
    EXPECT_EQ(row.vertical, options.GlyphContinue);
  }
}

}  // namespace
