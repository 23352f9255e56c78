// What the reliability scenarios share: shell runs of the program (for redirections, limits and
// lowered privileges), scratch trees, trees deeper than any path can reach, and find's figures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "chart_reader.h"
#include "e2e_support.h"

// What a shell run left behind (child_process.h): `status` is the shell's exit status.
using ShellRun = ChildResult;

struct ShellSettings {
  std::vector<std::string> env;  // "NAME=value", added to the test's own environment
  std::string working_directory;
  int timeout_seconds = 120;
};

// Runs `script` with /bin/sh -c. In the script $Q names the program under test, quoted as a
// single word. Standard input is /dev/null.
ShellRun RunShell(const std::string& script, const ShellSettings& settings = {});

// The program under test (QUOVREL_PROGRAM), or "" when none is named.
std::string ProgramPath();

// `text` as one single-quoted shell word.
std::string ShellWord(std::string_view text);

// The command prefix that runs a program as the unprivileged user "nobody", or "" (with the
// reason in `why`) when this process cannot drop privileges that way.
std::string NobodyPrefix(std::string& why);

// A temporary tree on a memory file system where there is one with room (/dev/shm), else in
// TMPDIR: a disk that discards freed blocks takes seconds per thousand folders to remove them.
std::unique_ptr<TempTree> NewScratchTree();

// A path for a large output file on disk (TMPDIR or /tmp), unique to this process and `name`.
std::string ScratchFile(const std::string& name);

// Makes `depth` nested folders named `name` below `root` (root/name/name/...), with a file
// "f<level>" of `level` bytes in every level whose number is a multiple of `file_every` (the
// deepest too). Works by descriptors, as no path reaches the bottom. False when refused.
bool MakeChain(const std::string& root, const std::string& name, int depth, int file_every);

// The sum of the sizes of everything but folders below `root`, as `find -printf %s` gives them,
// and how many there are. Folders named ".*" are left out with what they hold, as
// the chart leaves them out. False when find failed.
bool FindSizes(const std::string& root, uint64_t& bytes, uint64_t& count, bool follow = false);
