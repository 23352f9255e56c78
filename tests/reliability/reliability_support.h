// What the reliability scenarios share: shell runs of the program (for redirections, limits and
// lowered privileges), a reader of charts drawn with /A /F /Size /Sum /Total that checks every
// folder's sums against the entries shown below it, and trees deeper than any path can reach.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "e2e_support.h"

// What a shell run left behind. `status` is the shell's exit status (128 plus a signal when one
// ended it), or -1 when it could not start or ran out of time.
struct ShellRun {
  std::string out;
  std::string err;
  int status = -1;
  double seconds = 0;
};

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

// Code page 932 bytes of a UTF-8 text.
std::string Cp932Text(std::string_view utf8);

// One line of a chart drawn with /A /F /Size, and /Sum /Total on folder lines.
struct ChartEntry {
  size_t depth = 0;
  bool is_folder = false;
  std::string name;
  std::string time;  // the 16-byte time text, with /Time
  uint32_t size = 0;
  uint32_t own_files = 0;
  uint32_t own_bytes = 0;
  uint32_t total_files = 0;
  uint32_t total_bytes = 0;
  long parent = -1;  // index of the folder line it hangs on
};

// Reads a chart line by line, so that charts of hundreds of megabytes need not be held.
class ChartReader {
 public:
  explicit ChartReader(bool with_time) : with_time_(with_time) {}

  // Adds one line (without its CR LF). False, with the reason in Problem(), when it is not a
  // line of such a chart; every later line is then ignored.
  bool AddLine(std::string_view line);

  const std::vector<ChartEntry>& Entries() const { return entries_; }
  const std::string& Problem() const { return problem_; }

  // "" when every folder's own count and bytes equal those of the files shown directly below
  // it, and its totals equal its own plus its subfolders' totals (modulo 2^32); else the first
  // folder that differs.
  std::string CheckSums() const;

  // Stops the reading with `reason`; always false.
  bool Fail(std::string reason);

  // The deepest level of any line.
  size_t Deepest() const { return deepest_; }

 private:
  bool ParseFolderSummary(std::string_view text, ChartEntry& entry);
  bool ParseFileDetails(std::string_view text, ChartEntry& entry);

  bool with_time_;
  std::vector<ChartEntry> entries_;
  std::vector<long> open_folders_;  // index of the last folder line at each depth
  std::string problem_;
  size_t deepest_ = 0;
};

// The path of every entry of `chart` below its root, names joined by "/" ("" for the root).
std::vector<std::string> EntryPaths(const ChartReader& chart);

// How many lines hang directly on entry `index`.
size_t ChildCount(const ChartReader& chart, size_t index);

// Reads all of `bytes` (CR LF lines) into `reader`; false when a line is malformed.
bool ReadChart(std::string_view bytes, ChartReader& reader);

// Reads the chart in the file `path` line by line; false when it cannot be read or a line is
// malformed (the reason is then in reader.Problem() or `why`).
bool ReadChartFile(const std::string& path, ChartReader& reader, std::string& why);

// Makes `depth` nested folders named `name` below `root` (root/name/name/...), with a file
// "f<level>" of `level` bytes in every level whose number is a multiple of `file_every` (the
// deepest too). Works by descriptors, as no path reaches the bottom. False when refused.
bool MakeChain(const std::string& root, const std::string& name, int depth, int file_every);

// The sum of the sizes of everything but folders below `root`, as `find -printf %s` gives them,
// modulo 2^32, and how many there are. Folders named ".*" are left out with what they hold, as
// the chart leaves them out. False when find failed.
bool FindSizes(const std::string& root, uint32_t& bytes, uint64_t& count, bool follow = false);
