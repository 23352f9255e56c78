// Bytes written whole to a descriptor: the one way every output of the POSIX platform writes.
#pragma once

#include <cstddef>
#include <string_view>

// Writes all of `bytes` to `fd` with one write(2), looping only on a partial write, EINTR, or a
// non-blocking descriptor that is full (it waits). Errors are ignored: output that cannot be
// delivered is dropped. Returns how many bytes were written.
size_t WriteAllBytes(int fd, std::string_view bytes);
