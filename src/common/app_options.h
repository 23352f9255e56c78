// The one record of a run's settings: switches, paths, sort key, derived flags, connector texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/path_text.h"

// The depth of no limit: no tree is this deep.
constexpr int32_t kNoDepthLimit = INT32_MAX;

// "/UTF8+" and "/UTF8-"; unsettled until the parser settles it by the platform's default.
enum Utf8Setting : int32_t {
  Utf8Unsettled = -1,
  Utf8Off = 0,  // code page 932
  Utf8On = 1,
};

enum SortKeyValue : int32_t {
  NoSort = 0,
  SortByName = 1,
  SortByExt = 2,
  SortBySize = 3,
  SortByTime = 4,
};

// "/Color+", "/Color-", "--color=WHEN": whether names are coloured.
enum ColorSetting : int32_t {
  ColorNever = 0,
  ColorAlways = 1,
  ColorAuto = 2,  // a UTF-8 chart on a screen that shows colour, unless the user asks for none
};

// The run's settings. The run driver owns the record: the command-line parser fills it, once,
// and the driver hands it to each pass as a constant record.
struct AppOptions {
  bool UseAsciiGlyphs = false;
  bool FilesFirst = true;
  bool ShowHelp = false;
  bool ShowFiles = false;
  bool ShowSize = false;
  bool ShowSum = false;
  bool ShowTime = false;
  bool ShowTotal = false;
  bool Ascending = true;
  bool ShowVersion = false;
  // Both kept whole, however long, each with its native form. No total file when empty.
  PathText TotalFileName;
  PathText RootPath;
  // The Linux mode charts every folder named, in turn: those named before RootPath (the last) are
  // kept here, in order. The classic mode charts the later folder alone.
  std::vector<PathText> EarlierFolders;
  // "/Import=FILE": the saved scan charted instead of a folder; "-" is standard input. None
  // when empty.
  PathText ImportFileName;
  bool HasFolderArgument = false;  // a folder was named: RootPath is no longer the default
  bool HasMissingFolder = false;   // one of several folders named is not there (the Linux mode)
  int32_t SortKey = NoSort;
  // How the walk treats links to folders and folders on other file systems.
  bool FollowLinks = true;     // "/Links+": a folder reached through a link is entered
  bool OneFileSystem = false;  // "/OneFileSystem+": only the charted folder's file system
  // How sizes and sums count. Classic: each name its file's size. "/DiskUsage+": the space on
  // disk, each file once however many hard links it has, folders and links their own space too;
  // "/Apparent+" with it: the same, counting sizes instead of space.
  bool CountDiskUsage = false;
  bool CountApparentSizes = false;
  // What the chart shows beyond the classic options.
  // "/Threads=N": threads that read folders for the walk; 0 lets the walker choose.
  size_t WalkThreads = 0;
  int32_t MaxDepth = kNoDepthLimit;  // "/Depth=N": entries deeper than N are not drawn
  bool ShowDotFolders = false;       // "/DotFolders+": folders named ".name" are charted
  bool ShowHumanSizes = false;       // "/Human+": sizes and byte sums in units of 1,024
  bool ShowJson = false;             // "/Json+": the chart as one UTF-8 JSON document
  int32_t Utf8 = Utf8Unsettled;      // "/UTF8+": every text in UTF-8, not code page 932
  // "/Exclude=PATTERN": entries whose names match are left out with all below them. Code page
  // 932 texts as typed; every one applies.
  std::vector<std::string> ExcludePatterns;
  // "/Export=FILE": the scan written in the JSON export format to FILE, "-" for standard output.
  PathText ExportFileName;
  bool ShowExtensionHelp = false;  // "--help": the help text is followed by the extensions'
  bool ShowVersionAlone = false;   // "--version": the banner, then the run ends
  int32_t ColorWhen = ColorAuto;
  // Settled by the parser from ColorWhen, the chart's encoding and the screen: names are
  // coloured by their kind.
  bool ShowColor = false;
  // Derived by DeriveSettings, valid only after a successful parse: each question that several
  // passes would otherwise answer for themselves, answered once for the run.
  bool NeedTotalFile = false;         // a total file is named
  bool NeedExport = false;            // an export file is named: the walk enters every level
  bool IsExportOnOutput = false;      // the export goes to standard output, the chart nowhere
  bool NeedFileInfo = false;          // the scan reads each entry's size and last-write time
  bool NeedFileEntries = false;       // the scan makes file entries: files are shown or counted
  bool NeedSortKeys = false;          // the scan makes each entry's name and extension keys
  bool NeedItemDetails = false;       // file lines carry a size or time column: the width pass
  bool NeedTimeTexts = false;         // file lines are shown with times: the separators are read
  bool NeedFolderSums = false;        // folder lines carry their counts and sums
  bool NeedOwnSums = false;           // the sums pass: each folder's own file count and bytes
  bool NeedCumulativeTotals = false;  // and each folder's totals of everything below it
  // The walk enters only folders less deep than this: what MaxDepth hides is still walked
  // where a sum, a total or the size order counts it.
  int32_t ScanDepthLimit = kNoDepthLimit;
  bool IsUtf8Chart = false;  // Utf8 is Utf8On: names, texts and connectors are UTF-8
  // The chart is written as the walk goes (output/stream_chart.h): no line needs a folder's
  // whole subtree before it, and nothing else needs the whole tree.
  bool IsChartStreamed = false;
  bool ShowLinkTargets = false;  // a link's line shows where it points: "name -> target"
  std::string GlyphLast;
  std::string GlyphMiddle;
  std::string GlyphContinue;
};

// Fills ShowVersion (forced by ShowHelp and ShowVersionAlone), the Need flags, the walk's depth,
// the chart's encoding and the connector texts from the switches, the sort key and the total file's name.
void DeriveSettings(AppOptions& options);
