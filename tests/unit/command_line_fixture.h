// The fixture of the command-line parser tests: a recording fake platform, the arguments and the
// record the parser fills, the record described as one text, and the messages as code page 932
// bytes.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/app_options.h"
#include "fake_platform.h"
#include "front/command_line.h"
#include "run_arguments.h"

namespace parse_test {

// Keeps each written line apart, so a message is seen to be one line written at once.
class RecordingPlatform : public FakePlatform {
 public:
  void WriteLine(std::string_view line) override {
    lines.emplace_back(line);
    FakePlatform::WriteLine(line);
  }
  std::vector<std::string> lines;
};

// A path text as "shown", or "shown|native" where the two differ.
inline std::string Describe(const PathText& text) {
  return text.Shown == text.Native ? text.Shown : text.Shown + "|" + text.Native;
}

// The derived Need flags that are on, by name without "Need", in the record's order.
inline std::string DescribeNeeds(const AppOptions& o) {
  const std::pair<const char*, bool> flags[] = {
      {"TotalFile", o.NeedTotalFile},
      {"FileInfo", o.NeedFileInfo},
      {"FileEntries", o.NeedFileEntries},
      {"SortKeys", o.NeedSortKeys},
      {"ItemDetails", o.NeedItemDetails},
      {"TimeTexts", o.NeedTimeTexts},
      {"FolderSums", o.NeedFolderSums},
      {"OwnSums", o.NeedOwnSums},
      {"CumulativeTotals", o.NeedCumulativeTotals},
  };
  std::string on;
  for (const auto& [name, value] : flags) {
    if (value) on.append(on.empty() ? "" : " ").append(name);
  }
  return on;
}

// Every field of the record in one text, so a test compares the whole record at once.
inline std::string Describe(const AppOptions& o) {
  std::ostringstream s;
  s << "ascii=" << o.UseAsciiGlyphs << " filesFirst=" << o.FilesFirst << " help=" << o.ShowHelp
    << " files=" << o.ShowFiles << " size=" << o.ShowSize << " sum=" << o.ShowSum
    << " time=" << o.ShowTime << " total=" << o.ShowTotal << " ascending=" << o.Ascending
    << " version=" << o.ShowVersion << " totalFile=[" << Describe(o.TotalFileName) << "] root=["
    << Describe(o.RootPath) << "] sortKey=" << o.SortKey << " links=" << o.FollowLinks
    << " oneFileSystem=" << o.OneFileSystem << " depth=" << o.MaxDepth
    << " dotFolders=" << o.ShowDotFolders << " human=" << o.ShowHumanSizes
    << " diskUsage=" << o.CountDiskUsage << " apparent=" << o.CountApparentSizes
    << " json=" << o.ShowJson << " exclude=[";
  for (const std::string& pattern : o.ExcludePatterns) s << pattern << "|";
  s << "] extensionHelp=" << o.ShowExtensionHelp << " versionAlone=" << o.ShowVersionAlone
    << " export=[" << Describe(o.ExportFileName) << "] exportOnOutput=" << o.IsExportOnOutput
    << " needs=[" << DescribeNeeds(o) << "] scanDepth=" << o.ScanDepthLimit
    << " threads=" << o.WalkThreads << " glyphs=["
    << o.GlyphLast << "|" << o.GlyphMiddle << "|" << o.GlyphContinue << "]";
  return s.str();
}

inline std::string ToLower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

inline const std::string kInvalidOption = Cp932("無効なオプションです：");
inline const std::string kNoOutputFile = Cp932("出力先を指定して下さい：");
inline const std::string kInvalidFolder = Cp932("無効なフォルダです：");
inline const std::string kBoxLast = "\x84\xA4\x84\x9F";
inline const std::string kBoxMiddle = "\x84\xA5\x84\x9F";
inline const std::string kBoxContinue = "\x84\xA0  ";

class ParseCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.AddFolder("C:\\Work\\Sub");
    platform.AddFile("C:\\Work\\file.txt", 10);
  }

  // Parses `given` as arguments 1 and on into `options`; `args` keeps what the parser made of
  // their shown texts.
  int Parse(const std::vector<std::string>& given) {
    std::vector<PathText> arguments = RunArguments(given);
    const int status = ParseCommandLine(platform, arguments, options);
    args.clear();
    for (size_t i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].Shown);
    return status;
  }

  AppOptions options;
  RecordingPlatform platform;
  std::vector<std::string> args;
};

}  // namespace parse_test
