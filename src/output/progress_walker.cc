// Progress reports around the platform's walk.
#include "output/progress_walker.h"

#include <utility>

ProgressWalker::ProgressWalker(std::unique_ptr<FolderWalker> walker, Platform& platform,
                               ProgressScreen& screen, bool is_utf8)
    : walker_(std::move(walker)),
      screen_(screen),
      separator_(platform.PathSeparator()),
      line_(platform, screen, is_utf8, screen.NowMilliseconds()) {}

bool ProgressWalker::EnterRoot(const PathText& path) {
  names_.clear();
  root_shown_ = path.Shown;
  return walker_->EnterRoot(path);
}

bool ProgressWalker::EnterSubfolder(size_t index) {
  const std::vector<FolderEntry>& entries = walker_->Entries();
  const std::string_view name = index < entries.size() ? entries[index].Name : std::string_view();
  if (!walker_->EnterSubfolder(index)) return false;
  names_.push_back(name);
  return true;
}

// The clock is read once per folder, which costs far less than reading the folder did.
bool ProgressWalker::ListFolder(bool with_info) {
  const bool listed = walker_->ListFolder(with_info);
  const int64_t now = screen_.NowMilliseconds();
  uint64_t all_folders = 0;
  uint64_t all_files = 0;
  bool is_due = false;
  if (walker_->CountListed(all_folders, all_files)) {
    is_due = line_.NoteTotals(all_folders, all_files, now);
  } else {
    size_t files = walker_->LeftOutFiles();
    for (const FolderEntry& entry : walker_->Entries()) files += entry.IsFolder ? 0 : 1;
    is_due = line_.NoteFolder(files, now);
  }
  if (is_due) line_.Show(ShownPath(), now);
  return listed;
}

// The root has no name in a listing: leaving it leaves no name behind.
void ProgressWalker::LeaveFolder() {
  walker_->LeaveFolder();
  if (!names_.empty()) names_.pop_back();
}

// The current folder's path as its names are shown in the chart, control bytes as "?".
std::string ProgressWalker::ShownPath() const {
  std::string path = root_shown_;
  for (std::string_view name : names_) {
    if (path.empty() || path.back() != separator_) path += separator_;
    path += name;
  }
  // Names kept as the system's bytes (for a JSON document) may hold control bytes, which must
  // not reach the terminal; every other chart has shown them as "?" already.
  for (char& c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return path;
}

std::unique_ptr<FolderWalker> NewScanWalker(Platform& platform, bool is_utf8) {
  std::unique_ptr<FolderWalker> walker = platform.NewFolderWalker();
  ProgressScreen* screen = platform.GetProgressScreen();
  if (screen == nullptr) return walker;
  return std::make_unique<ProgressWalker>(std::move(walker), platform, *screen, is_utf8);
}
