// Line output to standard output and to the append-mode total file.
#include "platform/posix_output.h"

#include <fcntl.h>
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
