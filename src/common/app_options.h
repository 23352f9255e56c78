// The one record of a run's settings: switches, paths, sort key, derived flags, connector texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/path_text.h"

enum SortKeyValue : int32_t {
  NoSort = 0,
  SortByName = 1,
  SortByExt = 2,
  SortBySize = 3,
  SortByTime = 4,
};

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
  int32_t SortKey = NoSort;
  // How the walk treats links to folders and folders on other file systems.
  bool FollowLinks = true;     // "/Links+": a folder reached through a link is entered
  bool OneFileSystem = false;  // "/OneFileSystem+": only the charted folder's file system
  // Valid only after a successful parse.
  bool NeedFileInfo = false;
  bool NeedItemDetails = false;
  bool NeedFolderSums = false;
  std::string GlyphLast;
  std::string GlyphMiddle;
  std::string GlyphContinue;
};

// The run's settings. Only the command-line parser writes them, once; everything else reads.
extern AppOptions g_options;

// Fills ShowVersion (forced by ShowHelp), the three Need flags and the connector texts.
void DeriveSettings(AppOptions& options);

// True when the folders' cumulative totals are needed: shown, sorted by, or written to a file.
bool NeedCumulativeTotals(const AppOptions& options);
