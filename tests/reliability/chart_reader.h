// Reads charts drawn with /A /F /Size (and /Time), /Sum /Total, line by line, and checks every
// folder's sums against the entries shown below it. Used by the reliability tests and the
// pipeline fuzz target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A folder's byte sum as read: the program's sums never wrap, so they go past 64 bits.
using ChartSum = unsigned __int128;

// Code page 932 bytes of a UTF-8 text.
std::string Cp932Text(std::string_view utf8);

// One line of a chart drawn with /A /F /Size, and /Sum /Total on folder lines.
struct ChartEntry {
  size_t depth = 0;
  bool is_folder = false;
  std::string name;
  std::string time;  // the 16-byte time text, with /Time
  uint64_t size = 0;
  uint32_t own_files = 0;
  ChartSum own_bytes = 0;
  uint32_t total_files = 0;
  ChartSum total_bytes = 0;
  long parent = -1;  // index of the folder line it hangs on
};

// Reads a chart line by line, so that charts of hundreds of megabytes need not be held.
class ChartReader {
 public:
  explicit ChartReader(bool with_time) : with_time_(with_time) {}

  // Adds one line (without its CR LF). False, with the reason in Problem(), when it is not a
  // line of such a chart (a file line out of line with its folder's size column included);
  // every later line is then ignored.
  bool AddLine(std::string_view line);

  const std::vector<ChartEntry>& Entries() const { return entries_; }
  const std::string& Problem() const { return problem_; }

  // "" when every folder's own count and bytes equal those of the files shown directly below
  // it, and its totals equal its own plus its subfolders' totals; else the first folder that
  // differs.
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
  // The length of the file lines of the folder at each depth in open_folders_, 0 before its
  // first: every file line of a folder ends its size column at the same place.
  std::vector<size_t> file_line_lengths_;
  std::string problem_;
  size_t deepest_ = 0;
};

// The path of every entry of `chart` below its root, names joined by "/" ("" for the root).
std::vector<std::string> EntryPaths(const ChartReader& chart);

// How many lines hang directly on entry `index`.
size_t ChildCount(const ChartReader& chart, size_t index);

// The plain decimal digits of `value` ("27670116110564327421"), as the total file holds it.
std::string SumDigits(ChartSum value);

// Reads all of `bytes` (CR LF lines) into `reader`; false when a line is malformed.
bool ReadChart(std::string_view bytes, ChartReader& reader);

// Reads the chart in the file `path` line by line; false when it cannot be read or a line is
// malformed (the reason is then in reader.Problem() or `why`).
bool ReadChartFile(const std::string& path, ChartReader& reader, std::string& why);
