// In-memory trees and a platform that writes nowhere, for the benchmark cases of the pure stages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/app_options.h"
#include "common/tree_item.h"
#include "platform/platform.h"

// A platform with no operating system behind it: lines are counted, not written, and the
// texts and times come from the portable helpers, so a case measures only the stage itself.
class NullPlatform : public Platform {
 public:
  void SetUtf8Texts(bool) override {}
  PathText TextFromNative(std::string_view native) override { return SameText(native); }
  std::string FromUtf8(std::string_view utf8) override { return std::string(utf8); }
  void LowerCase(char* text, size_t length) override;
  std::vector<PathText> ReadArguments(int, char**) override { return {}; }
  PathText ReadCurrentFolder() override { return SameText("."); }
  int ChangeCurrentFolder(const PathText&) override { return -1; }
  bool DirectoryExists(const PathText&) override { return false; }
  bool SlashStartsPath() override { return false; }
  std::unique_ptr<FolderWalker> NewFolderWalker() override { return nullptr; }
  int FileTimeToDosDateTime(FileTime local, uint16_t& dos_date, uint16_t& dos_time) override {
    return DosDateTimeFromFileTime(local, dos_date, dos_time);
  }
  void GetDateTimeSeparators(std::string& date, std::string& time) override {
    date = "/";
    time = ":";
  }
  std::unique_ptr<OutputFile> CreateOutputFile(const PathText&) override { return nullptr; }
  void WriteErrorLine(std::string_view) override {}
  void WriteLine(std::string_view line) override { bytes_written += line.size(); }
  void AppendTotalFile(const PathText&, std::string_view) override {}

  size_t bytes_written = 0;
};

// A random tree as the scan would leave it (names with their sort keys, sizes, times, creation
// order), about a tenth folders, the same for the same seed. The root is owned by the caller.
struct StageTree {
  TreeStore store;
  std::unique_ptr<TreeItem> root;
  size_t entries = 0;
};
void BuildStageTree(StageTree& tree, size_t entries, uint32_t seed = 1);

// The options as the command line would set them: `keywords` are keywords without the "/".
AppOptions StageOptions(const std::vector<std::string>& keywords);
