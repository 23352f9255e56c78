// A terminal's standard error as the screen of the progress line.
#include "platform/posix/progress_screen.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/posix/fd_write.h"

namespace {

// The signals whose handler erases the line: SIGTSTP stops the run, the others end it. Each
// blocks the others while its handler runs.
constexpr int kErasingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

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

void InstallEraser(int signal_number, void (*handler)(int)) {
  struct sigaction erase {};
  erase.sa_handler = handler;
  sigemptyset(&erase.sa_mask);
  for (int other : kErasingSignals) sigaddset(&erase.sa_mask, other);  // one erase, one end
  sigaction(signal_number, &erase, nullptr);
}

// Erases the line, then ends the process by the same signal, as it would have ended without this
// handler (the shell sees the signal, not an exit status).
void EraseAndEnd(int signal_number) {
  EraseProgressLineAtOnce();
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

// Erases the line, then stops the process as the default action would. The stop comes once the
// signal is unblocked, inside this handler; after SIGCONT the handler is put back for the next
// Ctrl-Z. The line stays marked as shown, so the next line drawn replaces what is there.
void EraseAndStop(int signal_number) {
  const int saved_errno = errno;
  EraseProgressLineAtOnce();
  signal(signal_number, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, signal_number);
  raise(signal_number);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);  // the stop happens here
  InstallEraser(signal_number, EraseAndStop);
  errno = saved_errno;
}

}  // namespace

void EraseProgressLineOnSignals() {
  for (int signal_number : kErasingSignals) {
    struct sigaction found {};
    if (sigaction(signal_number, nullptr, &found) != 0 || found.sa_handler == SIG_IGN) continue;
    InstallEraser(signal_number, signal_number == SIGTSTP ? EraseAndStop : EraseAndEnd);
  }
}

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
  const bool is_converted = terminal_ != nullptr && !is_utf8_texts_;
  shown_fd_for_signals = fd_;
  is_shown_ = true;
  WriteAllBytes(fd_, is_converted ? terminal_->ToUtf8(line) : line);
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
