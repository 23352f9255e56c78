// A folder walker over a saved scan: each listing is made from the items of one folder.
#include "tree/import_walker.h"

#include <algorithm>

// The POSIX listings' order, which holds no system call: a saved scan's folders are listed in
// it so that a chart of the scan, and which name of a hard-linked file counts it, is that of the
// folder itself, whatever order the program that saved it read the folder in.
#include "platform/posix/name_order.h"

namespace {

const std::vector<FolderEntry> kNoEntries;

// A name as a listing shows it: a control character, which would break the chart's line, as "?".
std::string ShownName(Platform& platform, std::string_view utf8) {
  std::string name(utf8);
  for (char& byte : name) {
    if (static_cast<unsigned char>(byte) < 0x20 || byte == 0x7f) byte = '?';
  }
  return platform.FromUtf8(name);
}

}  // namespace

ImportWalker::ImportWalker(const ImportedScan& scan, Platform& platform)
    : scan_(scan), platform_(platform) {}

FolderEntry ImportWalker::MakeEntry(const ImportedItem& item, bool with_info) const {
  FolderEntry entry;
  entry.IsFolder = item.IsFolder;
  entry.Kind = item.IsFolder && rules_.KindsWanted ? KindFolder : KindPlain;
  if (!with_info) return entry;
  entry.HasInfo = true;
  entry.Size = item.ApparentBytes;
  entry.AllocatedBytes = item.DiskBytes;
  entry.HasOtherNames = item.HasOtherNames && !item.IsFolder;
  entry.FileId = FolderIdentity{item.Device, item.Inode};
  // A time the file lacks stays 0, which the chart shows as no time.
  if (item.HasTime) entry.WriteTime = platform_.LocalFileTimeFromUnix(item.WriteSeconds);
  return entry;
}

bool ImportWalker::PushLevel(uint32_t folder) {
  if (depth_ == levels_.size()) levels_.push_back(std::make_unique<Level>());
  Level& level = *levels_[depth_++];
  level.Folder = folder;
  level.Entries.clear();
  level.Items.clear();
  level.ShownNames.clear();
  level.LeftOutFiles = 0;
  return true;
}

bool ImportWalker::EnterRoot(const PathText&) {
  depth_ = 0;
  failure_.clear();
  if (scan_.Items.empty()) return false;
  root_entry_ = MakeEntry(scan_.Items[0], true);
  return PushLevel(0);
}

bool ImportWalker::EnterSubfolder(size_t index) {
  failure_.clear();
  const Level& level = *levels_[depth_ - 1];
  if (index >= level.Items.size()) return false;
  const ImportedItem& item = scan_.Items[level.Items[index]];
  if (!item.IsFolder || item.IsNotEntered) return false;
  const bool is_other_device = item.Device != scan_.Items[0].Device;
  if (IsKeptOutByRules(rules_, false, is_other_device)) return false;
  return PushLevel(level.Items[index]);
}

bool ImportWalker::ListFolder(bool with_info) {
  failure_.clear();
  Level& level = *levels_[depth_ - 1];
  level.Entries.clear();
  level.Items.clear();
  level.ShownNames.clear();
  level.LeftOutFiles = 0;
  const ImportedItem& folder = scan_.Items[level.Folder];
  if (folder.HasReadError && !folder.HasChildren) {
    failure_ = "read error in the saved scan";
    return false;
  }
  if (!folder.HasChildren) return true;
  for (uint32_t index = level.Folder + 1; index != 0; index = scan_.Items[index].NextSibling) {
    const ImportedItem& item = scan_.Items[index];
    if (item.IsExcluded) continue;
    if (!item.IsFolder && !rules_.FilesWanted) {
      ++level.LeftOutFiles;
      continue;
    }
    level.Items.push_back(index);
  }
  std::stable_sort(level.Items.begin(), level.Items.end(), [this](uint32_t a, uint32_t b) {
    return NativeNameLess(scan_.NameOf(scan_.Items[a]), scan_.NameOf(scan_.Items[b]));
  });
  std::vector<size_t> name_ends;
  for (uint32_t index : level.Items) {
    const ImportedItem& item = scan_.Items[index];
    level.ShownNames += ShownName(platform_, scan_.NameOf(item));
    name_ends.push_back(level.ShownNames.size());
    level.Entries.push_back(MakeEntry(item, with_info));
  }
  // The names are viewed only now that their text no longer moves.
  size_t start = 0;
  for (size_t i = 0; i < level.Entries.size(); ++i) {
    level.Entries[i].Name = std::string_view(level.ShownNames).substr(start, name_ends[i] - start);
    start = name_ends[i];
  }
  return true;
}

const std::vector<FolderEntry>& ImportWalker::Entries() const {
  return depth_ == 0 ? kNoEntries : levels_[depth_ - 1]->Entries;
}

void ImportWalker::LeaveFolder() {
  if (depth_ > 0) --depth_;
}

size_t ImportWalker::LeftOutFiles() const {
  return depth_ == 0 ? 0 : levels_[depth_ - 1]->LeftOutFiles;
}
