// Standard output and the total file on POSIX: whole lines at once, never blocking or failing a
// run.
#pragma once

#include <string>
#include <string_view>

// Makes a closed pipe a write error instead of the end of the process: the run goes on, the total
// file is still written and the exit status stays as it was.
void IgnoreBrokenPipes();

// Writes all of `bytes` to `fd` with one write(2), looping only on a partial write or EINTR.
// Errors are ignored: output that cannot be delivered is dropped.
void WriteAllBytes(int fd, std::string_view bytes);

// Appends `line` to the file `native_name`, creating it. Silent when it cannot be opened; a FIFO
// without a reader refuses at once instead of hanging the run.
void AppendLineToFile(const std::string& native_name, std::string_view line);
