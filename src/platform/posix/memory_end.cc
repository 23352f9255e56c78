// Ending the run when memory, a converter or the locale cannot be had.
#include "platform/posix/memory_end.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "common/fixed_texts.h"
#include "platform/platform.h"
#include "platform/posix/fd_write.h"
#include "platform/posix/gathered_output.h"
#include "platform/posix/progress_screen.h"

namespace {

constexpr int kOutOfMemoryStatus = 2;

// Room for the message in UTF-8 and its line end.
char out_of_memory_line[96];
size_t out_of_memory_length = 0;

}  // namespace

void SetOutOfMemoryLine(std::string_view message, std::string_view ending) {
  const size_t length = std::min(message.size(), sizeof out_of_memory_line - ending.size());
  std::memcpy(out_of_memory_line, message.data(), length);
  std::memcpy(out_of_memory_line + length, ending.data(), ending.size());
  out_of_memory_length = length + ending.size();
}

void EndForWantOfMemory() {
  // Two threads may run out at once: the first ends the run, the other waits for that end, so
  // that the message comes once.
  static std::atomic<bool> is_ending{false};
  if (is_ending.exchange(true)) {
    for (;;) pause();
  }
  if (out_of_memory_length == 0) SetOutOfMemoryLine(kOutOfMemoryMessageCp932, "\r\n");
  EraseProgressLineAtOnce();
  WriteGatheredLinesAtOnce();
  WriteAllBytes(STDERR_FILENO, std::string_view(out_of_memory_line, out_of_memory_length));
  _exit(kOutOfMemoryStatus);
}

// operator new calls the handler instead of throwing: it never returns, so no allocation
// anywhere, in a constructor, a destructor or before the driver's catch, can abort the run.
void EndRunWhenMemoryRunsOut() { std::set_new_handler(EndForWantOfMemory); }
