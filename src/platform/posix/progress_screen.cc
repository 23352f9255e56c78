// A terminal's standard error as the screen of the progress line.
#include "platform/posix/progress_screen.h"

#include <time.h>
#include <unistd.h>

#include <csignal>

#include "platform/posix/fd_write.h"

namespace {

// The descriptor on which a progress line may be on the screen now, or -1: all that a signal
// handler may read, and so kept where the handler finds it. Set before the line's write, so a
// signal amid it still erases.
volatile sig_atomic_t shown_fd_for_signals = -1;

// False when `fd` is a terminal whose foreground process group is not this process's: a run in
// the background. Both calls are safe in a signal handler.
bool IsForegroundOn(int fd) {
  const pid_t foreground = tcgetpgrp(fd);
  return foreground == -1 || foreground == getpgrp();
}

}  // namespace

void EraseProgressLineAtOnce() {
  const int fd = shown_fd_for_signals;
  const std::string_view erase = ProgressScreen::kEraseLine;
  if (fd >= 0 && IsForegroundOn(fd)) (void)!write(fd, erase.data(), erase.size());
}

int64_t TerminalScreen::NowMilliseconds() {
  struct timespec now {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool TerminalScreen::IsForeground() { return IsForegroundOn(fd_); }

size_t TerminalScreen::Columns() { return static_cast<size_t>(TerminalColumns(fd_)); }

void TerminalScreen::Draw(std::string_view line) {
  std::string_view shown = line;
  if (!is_utf8_texts_ && terminal_ != nullptr) shown = terminal_->ToUtf8(line);
  if (is_utf8_texts_ && locale_) shown = locale_->FromUtf8(line);
  shown_fd_for_signals = fd_;
  is_shown_ = true;
  WriteAllBytes(fd_, shown);
}

void TerminalScreen::Erase() {
  if (!is_shown_) return;
  if (IsForegroundOn(fd_)) WriteAllBytes(fd_, kEraseLine);
  Forget();
}

void TerminalScreen::Forget() {
  is_shown_ = false;
  shown_fd_for_signals = -1;
}
