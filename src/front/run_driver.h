// The run: parse, banner and help, then scan, aggregate, sort, mark, print and total file.
#pragma once

class Platform;

// The entry point's work. `argv` holds code page 932 texts the parser may change in place.
// Returns the exit status: 1 when the command line was refused, 2 when memory ran out (one line
// on standard error says so), 0 otherwise.
int RunQuovrel(Platform& platform, int argc, char** argv);
