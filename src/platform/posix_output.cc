// Line output to standard output (as a terminal can read it) and to the append-mode total file.
#include "platform/posix_output.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

void IgnoreBrokenPipes() { signal(SIGPIPE, SIG_IGN); }

void WriteAllBytes(int fd, std::string_view bytes) {
  const char* next = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = write(fd, next, left);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // Non-blocking (perhaps set by a process that shares the descriptor) and full for now:
      // wait until it takes more, as a blocking one would, rather than lose the line.
      pollfd ready{fd, POLLOUT, 0};
      if (poll(&ready, 1, -1) > 0 || errno == EINTR) continue;
      return;
    }
    if (written <= 0) return;  // a closed pipe or a full disk: the line is dropped, silently
    next += written;
    left -= static_cast<size_t>(written);
  }
}

void AppendLineToFile(const std::string& native_name, std::string_view line) {
  if (native_name.empty()) return;
  // O_NONBLOCK: opening a FIFO that has no reader fails at once (ENXIO) instead of waiting.
  const int fd = open(native_name.c_str(),
                      O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return;  // a total file that cannot be opened is not written
  WriteAllBytes(fd, line);
  close(fd);
}

Console::Console(TextConverter& texts) {
  const bool is_output_terminal = isatty(STDOUT_FILENO) == 1;
  const bool is_error_terminal = isatty(STDERR_FILENO) == 1;
  // The locale is not even looked at when neither stream is a terminal: a pipe or a file must
  // get the same bytes whatever the environment says.
  if ((is_output_terminal || is_error_terminal) && IsUtf8Locale()) {
    terminal_ = std::make_unique<TerminalConverter>();
    if (!terminal_->IsReady()) terminal_.reset();
  }
  is_output_converted_ = is_output_terminal && terminal_ != nullptr;
  if (is_error_terminal) {
    progress_ = std::make_unique<ProgressLine>(STDERR_FILENO, texts, terminal_.get());
  }
}

Console::~Console() {
  if (progress_) progress_->Erase();
}

void Console::WriteLine(std::string_view line) {
  if (progress_) progress_->Erase();
  WriteAllBytes(STDOUT_FILENO, is_output_converted_ ? terminal_->ToUtf8(line) : line);
}
