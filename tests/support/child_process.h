// Starting a program in a child process and taking what it writes: the one way the tests start
// the program under test, a shell or a tool.
#pragma once

#include <string>
#include <vector>

// The locale of the program's classic mode, in which it runs for every test of the classic
// behaviour: child processes get it by default (EnvironmentWith), and so do the platforms a test
// makes in its own process (NewClassicSystemPlatform).
inline constexpr char kClassicLocale[] = "ja_JP.SJIS";

// What a child left behind. `status` is its exit status, 128 plus the signal that ended it, or -1
// when it could not be started or was stopped for taking too long.
struct ChildResult {
  std::string out;  // every byte written to standard output
  std::string err;  // every byte written to standard error
  int status = -1;
  double seconds = 0;  // from the start to the end of the child
};

struct ChildSettings {
  std::vector<std::string> env;   // the whole environment, "NAME=value" each
  std::string working_directory;  // empty: the test's own
  int timeout_seconds = 120;      // then the child and everything it started are killed
  // Standard output a pipe whose reading end is closed at once, so that every write to it fails;
  // `out` stays empty.
  bool is_output_closed = false;
};

// Runs `argv` (argv[0] found on PATH; no shell, so each argument arrives exactly as given) in a
// process group of its own, as a shell would start it: standard input /dev/null, no descriptor
// above 2, and SIGPIPE at its default action whatever the test does with it.
ChildResult RunChild(const std::vector<std::string>& argv, const ChildSettings& settings);

// The test's own environment with each of `extra` ("NAME=value") in place of the entry of its
// name, or added; LC_ALL is the classic mode's locale (kClassicLocale) unless `extra` sets it.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra);
