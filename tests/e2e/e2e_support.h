// Running the built program as a user would, and temporary folder trees to run it on.
//
// The program is named by QUOVREL_PROGRAM. QUOVREL_RUNNER, when set, is put in front of it,
// split on blanks (for instance "wine64" for the Windows build); the same tests then check the
// other build.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "child_process.h"

// What one run left behind (child_process.h).
using RunResult = ChildResult;

struct RunSettings {
  std::string working_directory;       // empty: the test's own
  std::vector<std::string> extra_env;  // "NAME=value", added to (or replacing in) the test's own
  int timeout_seconds = 120;
  std::vector<std::string> wrapper = {};  // a command that runs the program, its words put in front
};

// Runs the program with `arguments` (element 0, the program's name, is added). No shell is
// involved, so each argument reaches the program exactly as given, the empty one included.
RunResult RunProgram(const std::vector<std::string>& arguments, const RunSettings& settings = {});

// True when a runner such as wine stands in front of the program.
bool HasRunner();

// How the program shows the absolute path `linux_path`: itself for the native program, and
// "Z:" with backslashes for a Windows program under wine (/tmp/x shows as Z:\tmp\x).
std::string ShownPath(std::string_view linux_path);

// Splits output into its lines; false when the bytes are not whole lines each ending in CR LF.
bool SplitCrLfLines(std::string_view bytes, std::vector<std::string>& lines);

// A temporary folder, removed with everything in it when the object goes, folders that were
// made unreadable included. Paths given to the methods are relative to it, "/" between names;
// missing folders on the way are made. The methods return false when the file system refused.
class TempTree {
 public:
  // Made in `base`; empty: in TMPDIR, or /tmp.
  explicit TempTree(const std::string& base = "");
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // False when no temporary folder could be made; every method then fails.
  bool IsReady() const { return !root_.empty(); }
  // The absolute path of `rel` ("" for the folder itself).
  std::string Path(std::string_view rel = "") const;
  bool MakeFolder(std::string_view rel);
  // A file of `size` bytes; sparse, so that sizes of 4 GiB and more cost no disk space.
  bool MakeFile(std::string_view rel, off_t size = 0);
  // Sets the last-write (and last-access) time to `seconds` since 1970 UTC.
  bool SetTime(std::string_view rel, std::time_t seconds);
  bool SetMode(std::string_view rel, mode_t mode);

 private:
  bool MakeParents(std::string_view rel);
  std::string root_;
};

// Runs the program like RunProgram, but with standard output going to a pipe whose reading end
// is already closed, so that every write to it fails; a broken pipe ends the program only if it
// does not guard against it (the child starts with the default action for SIGPIPE). `out` stays
// empty; `err` and `status` are as for RunProgram.
RunResult RunProgramWithClosedOutput(const std::vector<std::string>& arguments,
                                     const RunSettings& settings = {});

// Every byte of the file at `path`; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// True when something (a file, a folder, anything) exists at `path`.
bool PathExists(const std::string& path);
