// The progress line of a long scan: one line on standard error, kept only while it is useful.
//
// It is made only when standard error is a terminal, so scripts and tests never see it. A wrapper
// of the walk (ProgressWalker) reports each folder it reads; the line appears once the scan has
// run for more than a second, is redrawn at most ten times a second, and is erased before the
// chart's first line. The clock is read as the walk goes (once per folder), never from a timer or
// a signal. It is drawn only while the process is in the terminal's foreground, so a run in the
// background never writes over the user's prompt, and a signal that ends the run takes it off
// the screen first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/posix/terminal.h"
#include "platform/posix/text.h"

// Milliseconds of the monotonic clock.
int64_t MonotonicMilliseconds();

// From now on SIGINT, SIGTERM and SIGHUP first erase a progress line that is shown, then end the
// process as they would have. A signal that was ignored when the program started stays ignored.
void EraseProgressLineOnSignals();

class ProgressLine {
 public:
  static constexpr int64_t kQuietMilliseconds = 1000;  // no line for a scan shorter than this
  static constexpr int64_t kRedrawMilliseconds = 100;  // at most ten lines a second

  // Draws on `fd`, a terminal. `texts` gives the labels; `terminal`, when not null, turns the
  // line into UTF-8 for a UTF-8 terminal. Both must outlive the line.
  ProgressLine(int fd, TextConverter& texts, TerminalConverter* terminal);

  // The scan starts now: counts go back to zero, and the quiet second starts.
  void Begin(int64_t now_ms);

  // The line is UTF-8 from now on (shown as it is, labels from `texts` anew) or code page 932.
  void SetUtf8(bool is_utf8);

  // Counts one folder read, with `files` files in it. True when the line is due to be drawn.
  bool NoteFolder(size_t files, int64_t now_ms);

  // Draws the counts and `folder` (shown, the folder being read), cut to the width;
  // nothing while the process is in the background.
  void Show(std::string_view folder, int64_t now_ms);

  // Takes the line off the screen, if it is there. In the background the line is only
  // forgotten: whatever the terminal shows now on that line is no longer ours.
  void Erase();

  bool IsShown() const { return is_shown_; }

 private:
  void Forget();

  const int fd_;
  TextConverter& texts_;
  TerminalConverter* const terminal_;
  bool is_utf8_ = false;
  std::string folders_label_;  // in the line's encoding
  std::string files_label_;
  uint64_t folders_ = 0;
  uint64_t files_ = 0;
  int64_t begin_ms_ = 0;
  int64_t drawn_ms_ = 0;
  bool has_drawn_ = false;
  bool is_shown_ = false;
};

// The line's text in code page 932 (a double-byte character takes two columns) or, when
// `is_utf8`, in UTF-8 (measured as a terminal shows it), at most `columns` columns: each label
// with its count, digits grouped by three, then the folder. A folder that does not fit loses its
// beginning behind "..."; a character is never cut in two.
std::string ProgressText(std::string_view folders_label, uint64_t folders,
                         std::string_view files_label, uint64_t files, std::string_view folder,
                         size_t columns, bool is_utf8 = false);
