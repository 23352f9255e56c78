// An in-memory platform for unit tests: a folder tree with a chosen enumeration order
// (the order entries were added), chosen failures, captured output and call counts.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

class FakePlatform : public Platform {
 public:
  struct Node {
    std::string name;
    bool is_folder = false;
    uint64_t size = 0;
    uint64_t allocated = 0;  // the space on disk
    FileTime time;
    std::vector<std::unique_ptr<Node>> children;  // in enumeration order
    std::string link_target;  // a link to the entry at this path, when not empty
    int device = 0;           // the file system a folder is mounted from; 0: its parent's
    int file_id = 0;          // a file with hard links: the same number in each name's node
    int node_no = 0;          // the order of its making, from 1 (root names too): its inode
  };

  FakePlatform();

  // Paths use "\" or "/" between names; missing folders on the way are made.
  Node& AddFolder(std::string_view path, FileTime time = {}, uint64_t size = 0);
  Node& AddFile(std::string_view path, uint64_t size = 0, FileTime time = {});
  // A link at `path` to `target` (a full path): shown as what it leads to, sized as its text.
  Node& AddLink(std::string_view path, std::string_view target);
  Node* Find(std::string_view path);
  // The entry a link leads to, or the entry itself; null for a dangling link.
  Node* Resolve(Node& node);
  // The device of the folder at `path`: the nearest one set on the way, 0 when none is.
  int DeviceOf(std::string_view path);

  // Failures, by path: the folder cannot be entered, listed, or its entries' info read.
  std::set<std::string> refuse_enter;
  std::set<std::string> refuse_listing;
  std::set<std::string> refuse_info;  // the entry at this path
  std::set<std::string> refuse_total_file;

  // What the program did.
  std::string output;                                  // every byte written
  std::string error_output;                            // every byte written to standard error
  std::map<std::string, std::string> total_files;      // native name -> bytes appended
  std::map<std::string, std::string> output_files;     // native name -> bytes of a whole file
  std::set<std::string> refuse_output_file;            // cannot be made
  int info_reads = 0;                                  // entries whose info was read
  int listings = 0;                                    // folders listed
  int walkers_alive = 0;

  // The native form of every path text is what the fake looks up, so a test can give a path
  // that shows as one text and names another; the current directory's native form is its own,
  // and an empty one cannot be read.
  std::string current_directory = "C:\\Work";
  bool slash_paths = false;  // "/" begins absolute paths too, as on POSIX
  bool classic_mode = true;  // false: the Linux mode
  // Standard output shows UTF-8, so the chart is UTF-8 unless the command line says otherwise.
  bool utf8_default = false;
  bool color_screen = false;                       // standard output shows colour
  std::map<std::string, std::string> environment;  // the variables set
  std::string date_separator = "/";
  std::string time_separator = ":";

  // The encoding of the texts now: the default until SetUtf8Texts.
  bool IsUtf8Texts() const { return is_utf8_set_ ? is_utf8_ : utf8_default; }

  // Platform
  bool IsClassicMode() override { return classic_mode; }
  bool IsUtf8ByDefault() override { return utf8_default; }
  void SetUtf8Texts(bool is_utf8) override;
  // A native text shows as itself in either encoding, and loses nothing.
  PathText TextFromNative(std::string_view native) override { return SameText(native); }
  // In UTF-8, a character of three or four bytes takes two columns, any other one: the East
  // Asian characters and the emoji the tests use are of those lengths, and Latin is not.
  size_t DisplayWidth(std::string_view text) override;
  std::string FromUtf8(std::string_view utf8) override;
  void LowerCase(char* text, size_t length) override;
  std::vector<PathText> ReadArguments(int argc, char** argv) override;
  PathText ReadCurrentFolder() override;
  int ChangeCurrentFolder(const PathText& folder) override;
  bool DirectoryExists(const PathText& path) override;
  bool SlashStartsPath() override { return slash_paths; }
  bool IsColorScreen() override { return color_screen; }
  std::string ReadEnvironment(std::string_view name) override {
    const auto found = environment.find(std::string(name));
    return found == environment.end() ? "" : found->second;
  }
  std::unique_ptr<FolderWalker> NewFolderWalker() override;
  int FileTimeToDosDateTime(FileTime local, uint16_t& dos_date, uint16_t& dos_time) override;
  void GetDateTimeSeparators(std::string& date, std::string& time) override;
  void WriteErrorLine(std::string_view line) override;
  void WriteLine(std::string_view line) override;
  void AppendTotalFile(const PathText& name, std::string_view line) override;
  // An output file's bytes reach output_files at Finish; "-" is standard output.
  std::unique_ptr<OutputFile> CreateOutputFile(const PathText& name) override;
  int64_t NowUnixSeconds() override { return 1700000000; }

 private:
  Node& Make(std::string_view path, bool is_folder);
  bool FolderExists(const std::string& path);
  Node root_;  // holds the top-level names, such as "C:"
  int nodes_made_ = 0;
  bool is_utf8_set_ = false;
  bool is_utf8_ = false;
};

// Code page 932 bytes of a UTF-8 text, for writing expected output readably; also the fake's
// FromUtf8. It knows ASCII and the few texts of its own table alone, and throws on any other.
std::string Cp932(std::string_view utf8);
