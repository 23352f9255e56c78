// The settings record's derived fields and the connector texts.
#include "common/app_options.h"

namespace {

// Code page 932 box-drawing connectors: corner, tee and vertical line, each four columns wide.
constexpr char kBoxLast[] = "\x84\xA4\x84\x9F";
constexpr char kBoxMiddle[] = "\x84\xA5\x84\x9F";
constexpr char kBoxContinue[] = "\x84\xA0  ";

constexpr char kAsciiLast[] = "`---";
constexpr char kAsciiMiddle[] = "+---";
constexpr char kAsciiContinue[] = "|   ";

// UTF-8 connectors: each character takes one column, so three of them and a blank make the four
// columns of a segment, and every vertical line stays straight.
constexpr char kUtf8BoxLast[] = "\xE2\x94\x94\xE2\x94\x80\xE2\x94\x80 ";    // "└── "
constexpr char kUtf8BoxMiddle[] = "\xE2\x94\x9C\xE2\x94\x80\xE2\x94\x80 ";  // "├── "
constexpr char kUtf8BoxContinue[] = "\xE2\x94\x82   ";                      // "│   "
constexpr char kUtf8AsciiLast[] = "`-- ";
constexpr char kUtf8AsciiMiddle[] = "+-- ";
constexpr char kUtf8AsciiContinue[] = "|   ";

struct Connectors {
  const char* Last;
  const char* Middle;
  const char* Continue;
};

Connectors ChooseConnectors(const AppOptions& options) {
  if (options.IsUtf8Chart && options.UseAsciiGlyphs) {
    return {kUtf8AsciiLast, kUtf8AsciiMiddle, kUtf8AsciiContinue};
  }
  if (options.IsUtf8Chart) return {kUtf8BoxLast, kUtf8BoxMiddle, kUtf8BoxContinue};
  if (options.UseAsciiGlyphs) return {kAsciiLast, kAsciiMiddle, kAsciiContinue};
  return {kBoxLast, kBoxMiddle, kBoxContinue};
}

// The folders a chart with MaxDepth needs entered: none below the depth shown unless a total
// covers them, and the folders at that depth too when their own files are counted.
// Where the disk's space is counted, a file with several names counts where the whole chart meets
// it first, so every sum is walked whole whatever depth is shown.
int32_t WalkDepthLimit(const AppOptions& options) {
  if (options.CountDiskUsage && options.NeedOwnSums) return kNoDepthLimit;
  if (options.NeedCumulativeTotals || options.MaxDepth >= kNoDepthLimit - 1) return kNoDepthLimit;
  return options.NeedOwnSums ? options.MaxDepth + 1 : options.MaxDepth;
}

}  // namespace

void DeriveSettings(AppOptions& options) {
  if (options.ShowHelp || options.ShowVersionAlone) options.ShowVersion = true;
  // The banner would stand before the JSON document and spoil it.
  if (options.ShowJson && !options.ShowHelp && !options.ShowVersionAlone) {
    options.ShowVersion = false;
  }
  options.NeedTotalFile = !options.TotalFileName.Shown.empty();
  options.NeedItemDetails = options.ShowSize || options.ShowTime;
  options.NeedTimeTexts = options.ShowFiles && options.ShowTime;
  options.NeedFolderSums = options.ShowSum || options.ShowTotal;
  // Ordering by size places a folder by the bytes of its whole subtree.
  options.NeedCumulativeTotals =
      options.ShowTotal || options.SortKey == SortBySize || options.NeedTotalFile;
  options.NeedOwnSums = options.NeedFolderSums || options.NeedCumulativeTotals;
  options.NeedFileInfo = options.NeedItemDetails || options.NeedFolderSums ||
                         options.SortKey == SortBySize || options.SortKey == SortByTime ||
                         options.NeedTotalFile;
  options.NeedSortKeys = options.SortKey != NoSort;
  // With files hidden and nothing read from them, a file is neither drawn nor counted, so the
  // chart is the same without its entry, and a large tree takes far less memory.
  options.NeedFileEntries = options.ShowFiles || options.NeedFileInfo;
  options.NeedExport = !options.ExportFileName.Shown.empty();
  options.IsExportOnOutput = options.ExportFileName.Shown == "-";
  // An export on standard output has it to itself: no chart, no JSON document.
  if (options.IsExportOnOutput) options.ShowJson = false;
  // An export holds the whole scan, whatever depth the chart shows.
  options.ScanDepthLimit = options.NeedExport ? kNoDepthLimit : WalkDepthLimit(options);
  // Totals and the size order wait for the subtree, and so does the total file; a JSON document
  // tells its totals before its items. An export and a saved scan keep the whole tree anyway.
  // Counting the disk's space, a file with other names counts where the chart without a sort
  // key meets it first, and a folder reached twice is entered where the listing meets it first:
  // with files after subfolders that is known only once the subfolders are walked, and in
  // another order than the listing's, only once the folder is walked whole.
  options.IsChartStreamed =
      !options.NeedCumulativeTotals && !options.ShowJson && !options.NeedExport &&
      options.ImportFileName.Shown.empty() &&
      (!options.CountDiskUsage || (options.FilesFirst && options.SortKey == NoSort));
  // A JSON document is UTF-8 whatever the chart's encoding would be.
  if (options.ShowJson) options.Utf8 = Utf8On;
  options.IsUtf8Chart = options.Utf8 == Utf8On;
  // The code page 932 chart stays as the classic program draws it: no marker for a link.
  options.ShowLinkTargets = options.IsUtf8Chart;
  const Connectors connectors = ChooseConnectors(options);
  options.GlyphLast = connectors.Last;
  options.GlyphMiddle = connectors.Middle;
  options.GlyphContinue = connectors.Continue;
}
