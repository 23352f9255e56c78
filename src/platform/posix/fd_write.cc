// Bytes written whole to a descriptor, whatever the descriptor's mode.
#include "platform/posix/fd_write.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

size_t WriteAllBytes(int fd, std::string_view bytes) {
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
      break;
    }
    if (written <= 0) break;  // a closed pipe or a full disk: the line is dropped, silently
    next += written;
    left -= static_cast<size_t>(written);
  }
  return bytes.size() - left;
}
