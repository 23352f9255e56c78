// The signals that end or stop a run from outside, and what their handlers do first: take the
// progress line off the screen, and write the chart lines gathered for a file.
#pragma once

#include <csignal>

// SIGTSTP stops the run; the others end it.
inline constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

// From now on SIGINT, SIGTERM, SIGHUP and SIGQUIT first erase a progress line that is shown and
// write the gathered lines, then end the process as they would have; SIGTSTP erases the line,
// then stops the process as it would have, and the line is drawn again when it next is due after
// SIGCONT. A signal that was ignored when the program started stays ignored. Called again, it
// changes nothing.
void HandleEndingSignals();

// Blocks the ending signals in the calling thread while it lives, and restores its mask after:
// threads started meanwhile never take them, so only the chart's thread runs their handlers.
class EndingSignalsBlocked {
 public:
  EndingSignalsBlocked();
  ~EndingSignalsBlocked();
  EndingSignalsBlocked(const EndingSignalsBlocked&) = delete;
  EndingSignalsBlocked& operator=(const EndingSignalsBlocked&) = delete;

 private:
  sigset_t before_;
};
