// The progress line of a long scan: one line on the screen, kept only while it is useful.
//
// It is drawn only where the platform has a screen for it (standard error on a terminal or a
// console), so scripts and tests never see it. The walk's wrapper (ProgressWalker) reports each
// folder it reads; the line appears once the scan has run for more than a second, is redrawn at
// most ten times a second, and the platform takes it off before the chart's first line. The
// clock is read as the walk goes (once per folder), never from a timer or a signal. It is drawn
// only while the run is in the terminal's foreground, so a run in the background never writes
// over the user's prompt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

class ProgressLine {
 public:
  static constexpr int64_t kQuietMilliseconds = 1000;  // no line for a scan shorter than this
  static constexpr int64_t kRedrawMilliseconds = 100;  // at most ten lines a second

  // Draws on `screen` in the encoding of `platform`'s texts (UTF-8 when `is_utf8`); both must
  // outlive the line. The scan starts at `begin_ms`, and nothing is drawn for `quiet_ms`.
  ProgressLine(Platform& platform, ProgressScreen& screen, bool is_utf8, int64_t begin_ms,
               int64_t quiet_ms = kQuietMilliseconds);

  // Counts one folder read, with `files` files in it. True when the line is due to be drawn.
  bool NoteFolder(size_t files, int64_t now_ms);
  // Counts `folders` read in all, with `files` files, where threads read ahead of the walk.
  bool NoteTotals(uint64_t folders, uint64_t files, int64_t now_ms);

  // Draws the counts and `folder` (shown, the folder being read), cut to the screen's width;
  // nothing while the run is in the background.
  void Show(std::string_view folder, int64_t now_ms);

 private:
  Platform& platform_;
  ProgressScreen& screen_;
  const bool is_utf8_;
  const std::string folders_label_;  // in the line's encoding
  const std::string files_label_;
  const int64_t begin_ms_;
  const int64_t quiet_ms_;
  uint64_t folders_ = 0;
  uint64_t files_ = 0;
  int64_t drawn_ms_ = 0;
  bool has_drawn_ = false;
};

// The line's text in code page 932 (a double-byte character takes two columns) or, when
// `is_utf8`, in UTF-8 (as many columns as `platform` says the screen gives it), at most
// `columns` columns: each label with its count, digits grouped by three, then the folder. A
// folder that does not fit loses its beginning behind "..."; a character is never cut in two.
std::string ProgressText(Platform& platform, std::string_view folders_label, uint64_t folders,
                         std::string_view files_label, uint64_t files, std::string_view folder,
                         size_t columns, bool is_utf8);
