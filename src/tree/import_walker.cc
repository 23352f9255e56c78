// A folder walker over a saved scan: each listing is made from the items of one folder.
#include "tree/import_walker.h"

#include <algorithm>

// The POSIX listings' order, which holds no system call: a saved scan's folders are listed in
// it so that a chart of the scan, and which name of a hard-linked file counts it, is that of the
// folder itself, whatever order the program that saved it read the folder in.
#include "platform/posix/name_order.h"

namespace {

const std::vector<FolderEntry> kNoEntries;
constexpr size_t kKeptEntries = 256;

// A name as a listing shows it: a control character, which would break the chart's line, as "?".
std::string ShownName(Platform& platform, std::string_view utf8) {
  std::string name(utf8);
  for (char& byte : name) {
    if (static_cast<unsigned char>(byte) < 0x20 || byte == 0x7f) byte = '?';
  }
  return platform.FromUtf8(name);
}

}  // namespace

ImportWalker::ImportWalker(ImportedScan& scan, Platform& platform, TreeStore* reuse)
    : scan_(scan), reuse_(reuse), platform_(platform) {}

ImportWalker::ListedItem ImportWalker::MakeListedItem(const ImportedRecord& record) {
  ListedItem listed;
  listed.FirstChild = record.Next;
  listed.SubtreeEnd = record.Item.IsFolder ? record.Tail.SubtreeEnd : record.Next;
  listed.Device = record.Item.Device;
  listed.LeftOutFiles = record.Tail.LeftOutFiles;
  listed.IsNotEntered = record.Item.IsNotEntered;
  listed.HasChildren = record.Item.HasChildren;
  listed.HasReadError = record.Item.HasReadError;
  return listed;
}

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

bool ImportWalker::PushLevel(const ListedItem& folder) {
  if (depth_ == levels_.size()) levels_.push_back(std::make_unique<Level>());
  Level& level = *levels_[depth_++];
  level.Folder = folder;
  level.Entries.clear();
  level.Folders.clear();
  level.ShownNames.clear();
  level.LeftOutFiles = 0;
  return true;
}

bool ImportWalker::EnterRoot(const PathText&) {
  depth_ = 0;
  failure_.clear();
  if (scan_.Blocks.empty()) return false;
  const ImportedRecord root = ReadImportedRecord(scan_, 0);
  root_entry_ = MakeEntry(root.Item, true);
  root_device_ = root.Item.Device;
  ReleaseImportedRecord(scan_, root, reuse_);
  return PushLevel(MakeListedItem(root));
}

bool ImportWalker::EnterSubfolder(size_t index) {
  failure_.clear();
  Level& level = *levels_[depth_ - 1];
  const auto found =
      std::lower_bound(level.Folders.begin(), level.Folders.end(), index,
                       [](const ListedItem& folder, size_t i) { return folder.EntryIndex < i; });
  if (found == level.Folders.end() || found->EntryIndex != index) return false;  // a file
  ListedItem& item = *found;
  if (item.IsNotEntered) return false;
  const bool is_other_device = item.Device != root_device_;
  if (IsKeptOutByRules(rules_, false, is_other_device)) return false;
  item.WasEntered = true;
  return PushLevel(item);
}

// Finds the folder's items to list, in the listing's order, and counts the files left out.
void ImportWalker::FindChildren(const ListedItem& folder, Level& level) {
  listed_.clear();
  for (uint64_t position = folder.FirstChild; position < folder.SubtreeEnd;) {
    const ImportedRecord record = ReadImportedRecord(scan_, position, folder.Device);
    position = record.Item.IsFolder ? record.Tail.SubtreeEnd : record.Next;
    if (record.Item.IsExcluded) continue;
    if (!record.Item.IsFolder && !rules_.FilesWanted) {
      ++level.LeftOutFiles;
      continue;
    }
    listed_.emplace_back(record.Name, record.Position);
  }
  std::stable_sort(listed_.begin(), listed_.end(),
                   [](const auto& a, const auto& b) { return NativeNameLess(a.first, b.first); });
}

// Releases the records of the folder's items, each listed or left out: a folder is listed once.
void ImportWalker::ReleaseChildren(const ListedItem& folder) {
  for (uint64_t position = folder.FirstChild; position < folder.SubtreeEnd;) {
    const ImportedRecord record = ReadImportedRecord(scan_, position, folder.Device);
    position = record.Item.IsFolder ? record.Tail.SubtreeEnd : record.Next;
    ReleaseImportedRecord(scan_, record, reuse_);
  }
}

// Releases every record below a folder the walk did not enter (kept out by a pattern, the depth
// or its device): nothing else would, and each one would keep its block from being freed.
void ImportWalker::ReleaseSubtree(const ListedItem& folder) {
  for (uint64_t position = folder.FirstChild; position < folder.SubtreeEnd;) {
    const ImportedRecord record = ReadImportedRecord(scan_, position, folder.Device);
    position = record.Next;
    ReleaseImportedRecord(scan_, record, reuse_);
  }
}

bool ImportWalker::ListFolder(bool with_info) {
  failure_.clear();
  Level& level = *levels_[depth_ - 1];
  level.Entries.clear();
  level.Folders.clear();
  level.ShownNames.clear();
  const ListedItem& folder = level.Folder;
  level.LeftOutFiles = folder.LeftOutFiles;
  if (folder.HasReadError && !folder.HasChildren) {
    failure_ = "read error in the saved scan";
    return false;
  }
  FindChildren(folder, level);
  // Sized once: a listing grown by doubling would hold up to twice the room it needs.
  level.Entries.reserve(listed_.size());
  std::vector<size_t> name_ends;
  name_ends.reserve(listed_.size());
  for (const auto& [name, position] : listed_) {
    const ImportedRecord record = ReadImportedRecord(scan_, position, folder.Device);
    level.ShownNames += ShownName(platform_, name);
    name_ends.push_back(level.ShownNames.size());
    level.Entries.push_back(MakeEntry(record.Item, with_info));
    if (record.Item.IsFolder) {
      level.Folders.push_back(MakeListedItem(record));
      level.Folders.back().EntryIndex = static_cast<uint32_t>(level.Entries.size() - 1);
    }
  }
  listed_.clear();
  ReleaseChildren(folder);
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
  if (depth_ == 0) return;
  // A large folder's listing is freed, so that it does not pin its memory for the rest of the
  // walk; a small one keeps its room for the next folder at its level.
  Level& level = *levels_[--depth_];
  for (const ListedItem& folder : level.Folders) {
    if (!folder.WasEntered) ReleaseSubtree(folder);
  }
  if (level.Entries.capacity() > kKeptEntries) {
    std::vector<FolderEntry>().swap(level.Entries);
    std::vector<ListedItem>().swap(level.Folders);
    std::string().swap(level.ShownNames);
  }
}

size_t ImportWalker::LeftOutFiles() const {
  return depth_ == 0 ? 0 : levels_[depth_ - 1]->LeftOutFiles;
}
