// The in-memory platform of the unit tests.
#include "fake_platform.h"

#include <stdexcept>

#include "common/chart_text.h"
#include "common/cp932_bytes.h"

namespace {

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string JoinPath(const std::vector<std::string>& parts, size_t count) {
  std::string path;
  for (size_t i = 0; i < count; ++i) {
    if (i) path += '\\';
    path += parts[i];
  }
  return path;
}

// A node of the fake tree is its own identity, whatever path reached it.
FolderIdentity IdentityOf(const FakePlatform::Node& node) {
  return FolderIdentity{0, reinterpret_cast<uintptr_t>(&node)};
}

// Follows the walk rules and the loop rules as the real walkers do: a link is entered unless
// links are not followed or it closes a loop, a folder on another device than the root's only
// without one file system.
class FakeWalker : public FolderWalker {
 public:
  explicit FakeWalker(FakePlatform& platform) : platform_(platform) { ++platform_.walkers_alive; }
  ~FakeWalker() override { --platform_.walkers_alive; }

  void SetWalkRules(const WalkRules& rules) override { rules_ = rules; }

  bool EnterRoot(const PathText& path) override {
    levels_.clear();
    loops_.Restart();
    root_native_ = path.Native;
    root_entry_ = FolderEntry{};
    root_entry_.Own.NativeName = root_native_;
    FakePlatform::Node* node = platform_.Find(path.Native);
    const std::vector<std::string> parts = SplitPath(path.Native);
    std::string key = JoinPath(parts, parts.size());
    if (!node || !node->is_folder || platform_.refuse_enter.count(key)) return false;
    for (size_t count = 1; count < parts.size(); ++count) {
      const FakePlatform::Node* outer = platform_.Find(JoinPath(parts, count));
      if (outer) loops_.AddOuterFolder(IdentityOf(*outer));
    }
    loops_.NoteEntered(IdentityOf(*node), false);
    levels_.push_back(Level{node, key, platform_.DeviceOf(key), false, {}, {}});
    if (rules_.OwnInfoWanted) root_entry_.Own = OwnInfo(*node, root_native_, levels_[0].device);
    return true;
  }

  const FolderEntry& RootEntry() const override { return root_entry_; }

  bool EnterSubfolder(size_t index) override {
    Level& level = levels_.back();
    FakePlatform::Node* listed = level.listed.at(index);
    const bool through_link = !listed->link_target.empty();
    FakePlatform::Node* node = platform_.Resolve(*listed);
    std::string key = level.path + "\\" + listed->name;
    failure_ = platform_.refuse_enter.count(key) ? kRefused : "";
    if (!node || !node->is_folder || !failure_.empty()) return false;
    int device = listed->device != 0 ? listed->device : level.device;
    if (through_link) device = platform_.DeviceOf(listed->link_target);
    if (IsKeptOutByRules(rules_, through_link, device != levels_.front().device)) return false;
    if (!loops_.MayEnter(IdentityOf(*node), through_link, level.below_link)) return false;
    const bool below_link = through_link || level.below_link;
    loops_.NoteEntered(IdentityOf(*node), below_link);
    levels_.push_back(Level{node, key, device, below_link, {}, {}});
    return true;
  }

  bool ListFolder(bool with_info) override {
    Level& level = levels_.back();
    level.entries.clear();
    level.listed.clear();
    ++platform_.listings;
    failure_ = platform_.refuse_listing.count(level.path) ? kRefused : "";
    if (!failure_.empty()) return false;
    for (auto& child : level.node->children) {
      const FakePlatform::Node* shown = platform_.Resolve(*child);
      if (!shown) shown = child.get();  // a dangling link shows itself, as a file
      FolderEntry entry;
      entry.Name = child->name;
      entry.IsFolder = shown->is_folder;
      entry.IsLink = !child->link_target.empty();
      if (rules_.NeedLinkTargets) entry.LinkTarget = child->link_target;
      // A file link, and with CountLinksThemselves any link, is read as itself.
      const bool is_own = entry.IsLink && (!entry.IsFolder || rules_.CountLinksThemselves);
      const FakePlatform::Node& read = is_own ? *child : *shown;
      if (with_info && !platform_.refuse_info.count(level.path + "\\" + child->name)) {
        ++platform_.info_reads;
        entry.HasInfo = true;
        entry.Size = read.size;
        entry.AllocatedBytes = read.allocated;
        entry.WriteTime = read.time;
        entry.HasOtherNames = read.file_id != 0;
        entry.FileId = FolderIdentity{1, static_cast<uint64_t>(read.file_id)};
      }
      if (rules_.OwnInfoWanted) {
        entry.Own = OwnInfo(*child, child->name, child->device ? child->device : level.device);
      }
      level.entries.push_back(entry);
      level.listed.push_back(child.get());
    }
    return true;
  }

  const std::vector<FolderEntry>& Entries() const override { return levels_.back().entries; }

  void LeaveFolder() override {
    loops_.NoteLeft(IdentityOf(*levels_.back().node));
    levels_.pop_back();
  }

  size_t LeftOutFiles() const override { return 0; }  // the fake lists every file

  // Why the last folder refused could not be entered or listed, as a system would tell it.
  std::string FailureText() const override { return failure_; }

 private:
  static constexpr const char* kRefused = "Permission denied";
  struct Level {
    FakePlatform::Node* node;
    std::string path;
    int device;
    bool below_link;  // reached through a link, or lies below a folder that was
    std::vector<FolderEntry> entries;
    std::vector<FakePlatform::Node*> listed;
  };
  // The fake's own information: the node number is its inode (or its file_id when it has other
  // names), the time in seconds since 1970.
  EntryOwnInfo OwnInfo(const FakePlatform::Node& node, std::string_view name, int device) {
    EntryOwnInfo own;
    own.NativeName = name;
    own.HasInfo = true;
    own.IsRegular = !node.is_folder && node.link_target.empty();
    own.Size = node.size;
    own.AllocatedBytes = node.allocated;
    const int inode = node.file_id ? node.file_id : node.node_no;
    own.FileId = FolderIdentity{static_cast<uint64_t>(device), static_cast<uint64_t>(inode)};
    own.LinkCount = node.file_id ? 2 : 1;
    own.WriteSeconds = static_cast<int64_t>(FileTimeValue(node.time) / 10000000) - 11644473600;
    return own;
  }

  FakePlatform& platform_;
  std::string root_native_;
  FolderEntry root_entry_;
  WalkRules rules_;
  LoopRules loops_;
  std::vector<Level> levels_;
  std::string failure_;
};

// The texts beyond ASCII that the unit tests write in code page 932, with its bytes: the fake's
// own few, so that the core's tests need no system's converter (the real ones are the platforms',
// tested with them). A text not here stops the test that uses it: add its row.
struct FakeText {
  std::string_view utf8;
  std::string_view cp932;
};
constexpr FakeText kFakeTexts[] = {
    {"無効なオプションです：",
     "\x96\xB3\x8C\xF8\x82\xC8\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93\x82\xC5\x82\xB7\x81\x46"},
    {"無効なフォルダです：",
     "\x96\xB3\x8C\xF8\x82\xC8\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xC5\x82\xB7\x81\x46"},
    {"出力先を指定して下さい：",
     "\x8F\x6F\x97\xCD\x90\xE6\x82\xF0\x8E\x77\x92\xE8\x82\xB5\x82\xC4\x89\xBA\x82\xB3\x82\xA2"
     "\x81\x46"},
    {"（", "\x81\x69"},
    {"）", "\x81\x6A"},
    {"、", "\x81\x41"},
    {"ファイル", "\x83\x74\x83\x40\x83\x43\x83\x8B"},
    {"フォルダ", "\x83\x74\x83\x48\x83\x8B\x83\x5F"},
    {"バイト", "\x83\x6F\x83\x43\x83\x67"},
    {"累計", "\x97\xDD\x8C\x76"},
    {"名前", "\x96\xBC\x91\x4F"},
    {"─", "\x84\x9F"},
    {"│", "\x84\xA0"},
    {"└", "\x84\xA4"},
    {"├", "\x84\xA5"},
};

}  // namespace

std::string Cp932(std::string_view utf8) {
  std::string out;
  for (size_t at = 0; at < utf8.size();) {
    if (static_cast<unsigned char>(utf8[at]) < 0x80) {
      out += utf8[at++];
      continue;
    }
    const FakeText* found = std::begin(kFakeTexts);
    while (found != std::end(kFakeTexts) && !utf8.substr(at).starts_with(found->utf8)) ++found;
    if (found == std::end(kFakeTexts)) {
      throw std::runtime_error("no row in the fake's kFakeTexts for " +
                               std::string(utf8.substr(at)));
    }
    out += found->cp932;
    at += found->utf8.size();
  }
  return out;
}

FakePlatform::FakePlatform() { root_.is_folder = true; }

FakePlatform::Node& FakePlatform::Make(std::string_view path, bool is_folder) {
  std::vector<std::string> parts = SplitPath(path);
  Node* node = &root_;
  for (size_t i = 0; i < parts.size(); ++i) {
    bool last = i + 1 == parts.size();
    Node* next = nullptr;
    for (auto& child : node->children) {
      if (child->name == parts[i]) next = child.get();
    }
    if (!next) {
      node->children.push_back(std::make_unique<Node>());
      next = node->children.back().get();
      next->name = parts[i];
      next->node_no = ++nodes_made_;
      next->is_folder = !last || is_folder;
    }
    node = next;
  }
  return *node;
}

FakePlatform::Node& FakePlatform::AddFolder(std::string_view path, FileTime time, uint64_t size) {
  Node& node = Make(path, true);
  node.time = time;
  node.size = size;
  return node;
}

FakePlatform::Node& FakePlatform::AddFile(std::string_view path, uint64_t size, FileTime time) {
  Node& node = Make(path, false);
  node.size = size;
  node.time = time;
  return node;
}

FakePlatform::Node& FakePlatform::AddLink(std::string_view path, std::string_view target) {
  Node& node = Make(path, false);
  node.link_target = target;
  node.size = target.size();
  return node;
}

FakePlatform::Node* FakePlatform::Resolve(Node& node) {
  return node.link_target.empty() ? &node : Find(node.link_target);
}

int FakePlatform::DeviceOf(std::string_view path) {
  int device = 0;
  Node* node = &root_;
  for (const std::string& part : SplitPath(path)) {
    Node* next = nullptr;
    for (auto& child : node->children) {
      if (child->name == part) next = child.get();
    }
    if (!next) break;
    if (next->device != 0) device = next->device;
    node = next;
  }
  return device;
}

FakePlatform::Node* FakePlatform::Find(std::string_view path) {
  Node* node = &root_;
  for (const std::string& part : SplitPath(path)) {
    Node* next = nullptr;
    for (auto& child : node->children) {
      if (child->name == part) next = child.get();
    }
    if (!next) return nullptr;
    node = next;
  }
  return node == &root_ ? nullptr : node;
}

void FakePlatform::SetUtf8Texts(bool is_utf8) {
  is_utf8_set_ = true;
  is_utf8_ = is_utf8;
}

size_t FakePlatform::DisplayWidth(std::string_view text) {
  size_t width = 0;
  for (size_t at = 0; at < text.size(); at += Utf8CharacterLength(text, at)) {
    width += Utf8CharacterLength(text, at) >= 3 ? 2 : 1;
  }
  return width;
}

std::string FakePlatform::FromUtf8(std::string_view utf8) {
  return IsUtf8Texts() ? std::string(utf8) : Cp932(utf8);
}

// Only ASCII letters are lowered here, in either encoding, and a two-byte character of code page
// 932 is stepped over whole, so its second byte stays: the names of the unit tests hold no other
// capital, and the wider rules are the real platforms'.
void FakePlatform::LowerCase(char* text, size_t length) {
  const std::string_view view(text, length);
  for (size_t at = 0; at < length; at += IsUtf8Texts() ? 1 : Cp932CharacterLength(view, at)) {
    if (text[at] >= 'A' && text[at] <= 'Z') text[at] = static_cast<char>(text[at] + 0x20);
  }
}

std::vector<PathText> FakePlatform::ReadArguments(int argc, char** argv) {
  std::vector<PathText> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(SameText(argv[i] ? argv[i] : ""));
  return arguments;
}

PathText FakePlatform::ReadCurrentFolder() {
  // An empty current directory is one that cannot be read.
  return SameText(current_directory.empty() ? "." : current_directory);
}

int FakePlatform::ChangeCurrentFolder(const PathText& folder) {
  std::string target = folder.Native;
  // A drive letter and colon, alone or with a relative path, resolves against the current one.
  if (target.size() >= 2 && target[1] == ':' && (target.size() == 2 || target[2] != '\\')) {
    if (current_directory.compare(0, 2, target, 0, 2) != 0) return -1;
    target = target.size() == 2 ? current_directory : current_directory + "\\" + target.substr(2);
  }
  if (!FolderExists(target)) return -1;
  current_directory = target;
  return 0;
}

bool FakePlatform::DirectoryExists(const PathText& path) { return FolderExists(path.Native); }

bool FakePlatform::FolderExists(const std::string& path) {
  Node* node = Find(path);
  return node && node->is_folder && !path.empty();
}

std::unique_ptr<FolderWalker> FakePlatform::NewFolderWalker() {
  return std::make_unique<FakeWalker>(*this);
}

int FakePlatform::FileTimeToDosDateTime(FileTime local, uint16_t& dos_date, uint16_t& dos_time) {
  return DosDateTimeFromFileTime(local, dos_date, dos_time);
}

void FakePlatform::GetDateTimeSeparators(std::string& date, std::string& time) {
  date = date_separator;
  time = time_separator;
}

void FakePlatform::WriteErrorLine(std::string_view line) { error_output.append(line); }

void FakePlatform::WriteLine(std::string_view line) { output.append(line); }

void FakePlatform::AppendTotalFile(const PathText& name, std::string_view line) {
  if (refuse_total_file.count(name.Native)) return;
  total_files[name.Native].append(line);
}

namespace {

class FakeOutputFile : public OutputFile {
 public:
  explicit FakeOutputFile(std::string& target) : target_(target) {}
  void Write(std::string_view bytes) override { bytes_.append(bytes); }
  int Finish() override {
    target_.append(bytes_);
    return 0;
  }
  std::string FailureText() const override { return {}; }

 private:
  std::string& target_;
  std::string bytes_;
};

}  // namespace

std::unique_ptr<OutputFile> FakePlatform::CreateOutputFile(const PathText& name) {
  if (refuse_output_file.count(name.Native)) return nullptr;
  if (name.Native == "-") return std::make_unique<FakeOutputFile>(output);
  output_files[name.Native].clear();
  return std::make_unique<FakeOutputFile>(output_files[name.Native]);
}
