// Handlers for the signals that end or stop a run: nothing half-shown on the screen, nothing
// gathered lost.
#include "platform/posix/ending_signals.h"

#include <pthread.h>

#include <cerrno>

#include "platform/posix/gathered_output.h"
#include "platform/posix/progress_screen.h"

namespace {

bool are_handled = false;

void Install(int signal_number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (int other : kEndingSignals) sigaddset(&action.sa_mask, other);  // one handler, one end
  sigaction(signal_number, &action, nullptr);
}

// Erases the line and writes what is gathered, then ends the process by the same signal, as it
// would have ended without this handler (the shell sees the signal, not an exit status). The
// handler never returns to the interrupted code: the signal comes again, unhandled, as it ends.
void WriteAndEnd(int signal_number) {
  EraseProgressLineAtOnce();
  WriteGatheredLinesAtOnce();
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

// Erases the line, then stops the process as the default action would. The stop comes once the
// signal is unblocked, inside this handler; after SIGCONT the handler is put back for the next
// Ctrl-Z. The line stays marked as shown, so the next line drawn replaces what is there. The
// gathered lines stay: the run goes on, and may be gathering one right now.
void EraseAndStop(int signal_number) {
  const int saved_errno = errno;
  EraseProgressLineAtOnce();
  signal(signal_number, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, signal_number);
  raise(signal_number);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);  // the stop happens here
  Install(signal_number, EraseAndStop);
  errno = saved_errno;
}

}  // namespace

void HandleEndingSignals() {
  if (are_handled) return;
  are_handled = true;
  for (int signal_number : kEndingSignals) {
    struct sigaction found {};
    if (sigaction(signal_number, nullptr, &found) != 0 || found.sa_handler == SIG_IGN) continue;
    Install(signal_number, signal_number == SIGTSTP ? EraseAndStop : WriteAndEnd);
  }
}

EndingSignalsBlocked::EndingSignalsBlocked() {
  sigset_t ending;
  sigemptyset(&ending);
  for (int signal_number : kEndingSignals) sigaddset(&ending, signal_number);
  pthread_sigmask(SIG_BLOCK, &ending, &before_);
}

EndingSignalsBlocked::~EndingSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
