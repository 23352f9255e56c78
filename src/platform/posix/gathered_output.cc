// Standard output's lines gathered for a file: one write per block of whole lines.
#include "platform/posix/gathered_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include "platform/posix/ending_signals.h"
#include "platform/posix/fd_write.h"

namespace {

// Large enough that the writes cost nothing beside the walk, small enough that a run killed
// outright (SIGKILL, which no handler sees) loses little.
constexpr size_t kGatherBytes = 64 * 1024;

// Kept in static storage: written by a signal handler and where no memory is left. Only the
// chart's thread gathers and handles the ending signals (the walk's workers block them), and
// `gathered_length` only grows by whole lines, after their bytes are in place.
char gathered[kGatherBytes];
volatile sig_atomic_t gathered_length = 0;
volatile sig_atomic_t gathered_fd = -1;

}  // namespace

bool IsGatheredOutput(int fd) {
  struct stat status {};
  if (fstat(fd, &status) != 0) return false;
  return S_ISREG(status.st_mode) || (S_ISCHR(status.st_mode) && isatty(fd) == 0);
}

void GatherOutputOf(int fd) {
  WriteGatheredLines();
  gathered_fd = fd;
  HandleEndingSignals();
}

void GatherLine(std::string_view line, std::string_view end) {
  const size_t held = static_cast<size_t>(gathered_length);
  const size_t length = line.size() + end.size();
  if (held + length > kGatherBytes) {
    WriteGatheredLines();
    if (length > kGatherBytes) {
      WriteAllBytes(gathered_fd, line);
      WriteAllBytes(gathered_fd, end);
      return;
    }
  }
  const size_t start = static_cast<size_t>(gathered_length);
  std::memcpy(gathered + start, line.data(), line.size());
  if (!end.empty()) std::memcpy(gathered + start + line.size(), end.data(), end.size());
  gathered_length = static_cast<sig_atomic_t>(start + length);
}

void WriteGatheredLines() {
  if (gathered_length == 0) return;
  const EndingSignalsBlocked held;
  WriteGatheredLinesAtOnce();
}

void WriteGatheredLinesAtOnce() {
  const size_t length = static_cast<size_t>(gathered_length);
  if (length == 0 || gathered_fd < 0) return;
  WriteAllBytes(gathered_fd, std::string_view(gathered, length));
  gathered_length = 0;
}
