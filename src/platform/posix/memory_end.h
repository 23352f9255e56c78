// Memory running out on POSIX: the run ends where it ran out, with one line on standard error and
// status 2, and never through an exception, which the C++ runtime may have no memory to throw.
#pragma once

#include <string_view>

// The line EndForWantOfMemory writes, as standard error shows it: `message` then `ending`, kept
// in a buffer of its own so that writing it needs no memory. Until it is set the line is the
// message in code page 932 with CR LF, what a pipe or a file gets.
void SetOutOfMemoryLine(std::string_view message, std::string_view ending);

// Erases a progress line that is shown, writes the line on standard error and ends the process
// with status 2. The total file is written last of all, so it is never left half-made.
[[noreturn]] void EndForWantOfMemory();
