// Lines for standard output gathered into few writes where nobody reads them as the run goes:
// a regular file, or a device that is no terminal (/dev/null). A million lines cost a million
// writes otherwise, more than the walk's own system calls. Pipes and terminals are not gathered:
// each line reaches them whole and at once.
#pragma once

#include <cstddef>
#include <string_view>

// True when lines written to `fd` are better gathered: a regular file or a device that is no
// terminal.
bool IsGatheredOutput(int fd);

// Makes `fd` the descriptor whose lines are gathered from now on, and has SIGINT, SIGTERM,
// SIGHUP and SIGQUIT write what is gathered before they end the process (a signal that was
// ignored when the program started stays ignored).
void GatherOutputOf(int fd);

// Adds one whole line, `line` followed by `end`. What is gathered is written first when the line
// does not fit beside it, and a line longer than the room is written at once.
void GatherLine(std::string_view line, std::string_view end = {});

// Writes what is gathered. The signals that end the run wait meanwhile, so that their handler
// writes nothing twice.
void WriteGatheredLines();

// Writes what is gathered with write(2) and nothing else: safe in a signal handler and where no
// memory is left.
void WriteGatheredLinesAtOnce();
