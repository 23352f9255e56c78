// The global settings record, its derived fields and the connector texts.
#include "common/app_options.h"

AppOptions g_options;

namespace {

// Code page 932 box-drawing connectors: corner, tee and vertical line, each four columns wide.
constexpr char kBoxLast[] = "\x84\xA4\x84\x9F";
constexpr char kBoxMiddle[] = "\x84\xA5\x84\x9F";
constexpr char kBoxContinue[] = "\x84\xA0  ";

constexpr char kAsciiLast[] = "`---";
constexpr char kAsciiMiddle[] = "+---";
constexpr char kAsciiContinue[] = "|   ";

}  // namespace

void DeriveSettings(AppOptions& options) {
  if (options.ShowHelp) options.ShowVersion = true;
  options.NeedItemDetails = options.ShowSize || options.ShowTime;
  options.NeedFolderSums = options.ShowSum || options.ShowTotal;
  options.NeedFileInfo = options.NeedItemDetails || options.NeedFolderSums ||
                         options.SortKey == SortBySize || options.SortKey == SortByTime ||
                         !options.TotalFileName.Shown.empty();
  if (options.UseAsciiGlyphs) {
    options.GlyphLast = kAsciiLast;
    options.GlyphMiddle = kAsciiMiddle;
    options.GlyphContinue = kAsciiContinue;
  } else {
    options.GlyphLast = kBoxLast;
    options.GlyphMiddle = kBoxMiddle;
    options.GlyphContinue = kBoxContinue;
  }
}

bool NeedCumulativeTotals(const AppOptions& options) {
  return options.ShowTotal || options.SortKey == SortBySize || !options.TotalFileName.Shown.empty();
}
