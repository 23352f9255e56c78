// The scan written in the interchange format of disk-usage tools (a JSON export, version 1.2),
// item by item while the walk goes on, so that it needs no more memory than the walk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "tree/scan_listener.h"

// Appends `bytes` as a JSON string, quotes included: a quote and a backslash escaped, every
// control byte as "\u00XX", every other byte as it is (a name that is no UTF-8 keeps its bytes,
// as the format's readers expect).
void AppendRawJsonString(std::string& out, std::string_view bytes);

// Writes one export to `file` as a scan tells it (ScanFolder's listener). Each item is written
// with its own sizes, never a sum. A link is written as what it is (never the folder it leads
// to), even where the walk enters it.
class ExportWriter : public ScanListener {
 public:
  // `one_file_system`: a folder kept out on another file system was kept out by the user's
  // choice, not because it is a kernel file system.
  ExportWriter(OutputFile& file, bool one_file_system);

  // The opening, before the scan: the format's version and what made it, when.
  void WriteHeader(int64_t timestamp);
  void BeginFolder(const FolderEntry& entry, ScanMark mark) override;
  void AddEntry(const FolderEntry& entry, ScanMark mark) override;
  void EndFolder() override;
  // The closing, after the scan; 0 when the whole export was written, else -1.
  int Finish();

 private:
  // `is_folder`: written as a folder, which is never a link.
  void WriteItem(const FolderEntry& entry, ScanMark mark, bool is_folder);
  void Flush();

  OutputFile& file_;
  const bool one_file_system_;
  std::string buffer_;
  std::vector<uint64_t> devices_;  // of each open folder, the root's first
  // Folders entered below a link that is written as a link: what they hold is not written.
  int64_t hidden_depth_ = 0;
};
