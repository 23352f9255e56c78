// The walk of the file system below the charted folder that builds the tree.
//
// The walk keeps its own stack of open folders instead of recursing, so that a hierarchy tens
// of thousands of levels deep costs heap, not call stack. Each folder is listed once; that
// listing serves the subfolder pass and, after every subfolder's subtree, the file pass.
#include "tree/folder_scan.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/app_options.h"
#include "common/chart_text.h"
#include "common/wildcard_match.h"
#include "platform/platform.h"
#include "tree/entry_info.h"
#include "tree/scan_listener.h"
#include "tree/tree_feed.h"

namespace {

// One entered folder: its entry, its last child so far (the list keeps no tail) and the listing
// position of the next subfolder to look at. With a feed, the subfolders made at the listing in
// the order they are walked, each with its listing position, and the next one to walk.
struct MadeSubfolder {
  TreeItem* item;
  size_t index;
};
struct ScanFrame {
  TreeItem* folder;
  TreeItem* last_child;
  size_t next_index;
  std::vector<MadeSubfolder> subfolders;
  size_t next_subfolder;
  bool is_below_link;  // reached through a link, or below a folder that was
};

struct ScanState {
  FolderWalker& walker;
  EntryInfoContext info;
  std::vector<ScanFrame> frames;
  std::vector<std::string> exclude_patterns;  // lower-cased
  std::string lowered_name;                   // reused for every name tested
  std::vector<SharedFile>* shared_files;
  // Only with a list of unread folders: the top folder's shown path, and where each entered
  // folder's path ends in it.
  std::vector<UnreadFolder>* unread;
  char separator;
  std::string path;
  std::vector<size_t> path_ends;
  ScanListener* listener;
  TreeFeed* feed;
  const FolderFinish* finish;
};

// Notes the folder at `path` as unread when the walker says why it failed; a folder the rules
// kept out on purpose has no reason and is no failure.
void NoteUnread(ScanState& state, std::string_view path, const TreeItem& folder) {
  if (state.unread == nullptr) return;
  std::string reason = state.walker.FailureText();
  if (!reason.empty()) {
    state.unread->push_back(UnreadFolder{std::string(path), std::move(reason), &folder});
  }
}

// Makes `path`, the top folder's shown path, that of its entry `name`. Appended in place: a
// copy for every folder entered was two or three allocations a folder.
void AppendChildPath(char separator, std::string_view name, std::string& path) {
  if (path.empty() || path.back() != separator) path += separator;
  path.append(name);
}

// True when an exclusion pattern matches `name`. Both are lower-cased by the platform, as the
// sort keys are, so case never matters, and matched in the chart's characters.
bool IsExcluded(ScanState& state, std::string_view name) {
  if (state.exclude_patterns.empty()) return false;
  state.lowered_name.assign(name);
  state.info.platform.LowerCase(state.lowered_name.data(), state.lowered_name.size());
  const CharacterLengthFunction length = ChartCharacterLength(state.info.options.IsUtf8Chart);
  for (const std::string& pattern : state.exclude_patterns) {
    if (MatchesWildcard(pattern, state.lowered_name, length)) return true;
  }
  return false;
}

// Folders whose names begin with a full stop, unless they are asked for, and folders an
// exclusion pattern names are left out with everything below them.
bool IsChartedFolder(ScanState& state, const FolderEntry& entry) {
  if (!entry.IsFolder) return false;
  const bool is_dot_folder = !entry.Name.empty() && entry.Name[0] == '.';
  if (is_dot_folder && !state.info.options.ShowDotFolders) return false;
  return !IsExcluded(state, entry.Name);
}

TreeItem* AddChild(ScanState& state, EntryInfoContext& info, ScanFrame& frame,
                   const FolderEntry& entry) {
  TreeItem* child = info.store.NewItem(frame.folder->Level + 1);
  ReadEntryInfo(info, entry, *child);
  if (entry.HasOtherNames && state.shared_files && state.info.options.CountDiskUsage) {
    state.shared_files->push_back(SharedFile{child, entry.FileId});
  }
  AppendChildAfter(*frame.folder, frame.last_child, child);
  frame.last_child = child;
  return child;
}

// Puts the frame's subfolders in the order of its folder's list, which the feed has ordered. The
// subfolders were numbered one after the other in listing order, which finds each one's place.
void FollowChildOrder(ScanFrame& frame) {
  if (frame.subfolders.size() < 2) return;
  const int32_t first_no = frame.subfolders.front().item->SequenceNo;
  std::vector<MadeSubfolder> listed = std::move(frame.subfolders);
  frame.subfolders.clear();
  for (TreeItem* child = frame.folder->Children.First; child; child = child->NextSibling) {
    if (child->IsFolder) frame.subfolders.push_back(listed[child->SequenceNo - first_no]);
  }
}

// Whether the walk may take the frame's subfolders in another order than the listing's. Below a
// link, which way into a folder a web of links takes is decided in the order the walk meets the
// links (LoopRules), so there, and among subfolders that are links, the walk keeps listing order.
// (Counting the disk's space, which decides by the walk's order too, a chart is fed only without a
// sort key, whose order is the listing's: AppOptions::IsChartStreamed.)
bool MayReorderWalk(const ScanFrame& frame, const std::vector<FolderEntry>& entries) {
  if (frame.is_below_link) return false;
  for (const MadeSubfolder& subfolder : frame.subfolders) {
    if (entries[subfolder.index].IsLink) return false;
  }
  return true;
}

// With a feed: makes all the folder's children at once, in the order the walk without one makes
// them one by one (charted subfolders, then files, each in listing order), so that the feed can
// order and write them before the walk goes below.
void MakeChildren(ScanState& state, ScanFrame& frame) {
  EntryInfoContext info{
      state.info.platform, state.info.options, state.feed->ChildStore(*frame.folder), {}};
  const std::vector<FolderEntry>& entries = state.walker.Entries();
  for (size_t index = 0; index < entries.size(); ++index) {
    if (!IsChartedFolder(state, entries[index])) continue;
    TreeItem* subfolder = AddChild(state, info, frame, entries[index]);
    subfolder->IsFolder = true;
    frame.subfolders.push_back(MadeSubfolder{subfolder, index});
  }
  if (state.info.options.NeedFileEntries) {
    for (const FolderEntry& entry : entries) {
      if (!entry.IsFolder && !IsExcluded(state, entry.Name)) AddChild(state, info, frame, entry);
    }
  }
  state.feed->ChildrenMade(*frame.folder);
  if (MayReorderWalk(frame, entries)) FollowChildOrder(frame);
}

// Lists the folder just entered, whose entry is `entry`, and makes it the top of the walk. A
// folder that cannot be listed has no entries and so stands as an empty folder (and is noted as
// unread).
void BeginFolder(ScanState& state, TreeItem& folder, const FolderEntry& entry) {
  const bool with_info = state.info.options.NeedFileInfo || state.listener != nullptr;
  const bool is_listed = state.walker.ListFolder(with_info);
  if (!is_listed) NoteUnread(state, state.path, folder);
  if (state.listener) {
    state.listener->BeginFolder(entry, is_listed ? ScanMark::kRead : ScanMark::kUnread);
  }
  const bool is_below_link =
      entry.IsLink || (!state.frames.empty() && state.frames.back().is_below_link);
  state.frames.push_back(ScanFrame{&folder, nullptr, 0, {}, 0, is_below_link});
  if (state.feed) MakeChildren(state, state.frames.back());
}

// Tells the listener of the top folder's files, the excluded ones too, and of its end.
void TellFiles(ScanState& state) {
  for (const FolderEntry& entry : state.walker.Entries()) {
    if (entry.IsFolder) continue;
    const bool is_excluded = IsExcluded(state, entry.Name);
    state.listener->AddEntry(entry, is_excluded ? ScanMark::kExcluded : ScanMark::kRead);
  }
  state.listener->EndFolder();
}

// Ends the top folder: its files, after all its subfolders' subtrees, then the mark.
void FinishFolder(ScanState& state) {
  ScanFrame& frame = state.frames.back();
  TreeItem& folder = *frame.folder;
  if (state.listener) TellFiles(state);
  if (state.info.options.NeedFileEntries && !state.feed) {
    for (const FolderEntry& entry : state.walker.Entries()) {
      if (!entry.IsFolder && !IsExcluded(state, entry.Name)) {
        AddChild(state, state.info, frame, entry);
      }
    }
  }
  folder.IsFolder = true;
  state.walker.LeaveFolder();
  state.frames.pop_back();
  if (state.unread != nullptr && !state.path_ends.empty()) {
    state.path.resize(state.path_ends.back());
    state.path_ends.pop_back();
  }
  if (state.feed) state.feed->FolderWalked(folder);
  if (state.finish) (*state.finish)(folder);
}

// A subfolder the walk did not enter: unread when the walker says why, else kept out by the
// rules. (Deeper than the chart needs is never met here: a listener's scan walks every level.)
void TellNotEntered(ScanState& state, const FolderEntry& entry) {
  const bool is_failure = !state.walker.FailureText().empty();
  state.listener->AddEntry(entry, is_failure ? ScanMark::kUnread : ScanMark::kKeptOut);
}

// Enters `subfolder`, made of the top folder's entry `index`, where the walk goes below it;
// else it stands as an empty folder.
void EnterSubfolder(ScanState& state, TreeItem& subfolder, size_t index) {
  // The entry itself stays put until its folder is left; the list that holds it may not, once a
  // subfolder is entered, so the entry is held, not the list.
  const FolderEntry& entry = state.walker.Entries()[index];
  const bool is_walked = subfolder.Level < state.info.options.ScanDepthLimit;
  if (is_walked && state.walker.EnterSubfolder(index)) {
    if (state.unread != nullptr) {
      state.path_ends.push_back(state.path.size());
      AppendChildPath(state.separator, entry.Name, state.path);
    }
    BeginFolder(state, subfolder, entry);
  } else {
    // Refused, a link loop, or deeper than the chart needs: shown as an empty folder.
    if (is_walked && state.unread != nullptr) {
      const size_t path_end = state.path.size();
      AppendChildPath(state.separator, entry.Name, state.path);
      NoteUnread(state, state.path, subfolder);
      state.path.resize(path_end);
    }
    if (state.listener) TellNotEntered(state, entry);
    subfolder.IsFolder = true;
    if (state.feed) state.feed->FolderWalked(subfolder);
    if (state.finish) (*state.finish)(subfolder);
  }
}

// With a feed: enters the next of the subfolders made at the listing. False when none is left.
bool StepIntoMadeSubfolder(ScanState& state, ScanFrame& frame) {
  if (frame.next_subfolder == frame.subfolders.size()) return false;
  const MadeSubfolder next = frame.subfolders[frame.next_subfolder++];
  EnterSubfolder(state, *next.item, next.index);
  return true;
}

// Adds the next charted subfolder of the top folder and enters it. False when none is left.
bool StepIntoNextSubfolder(ScanState& state) {
  ScanFrame& frame = state.frames.back();
  if (state.feed) return StepIntoMadeSubfolder(state, frame);
  const std::vector<FolderEntry>& entries = state.walker.Entries();
  while (frame.next_index < entries.size() && !IsChartedFolder(state, entries[frame.next_index])) {
    const FolderEntry& entry = entries[frame.next_index++];
    if (state.listener && entry.IsFolder) state.listener->AddEntry(entry, ScanMark::kExcluded);
  }
  if (frame.next_index == entries.size()) return false;
  size_t index = frame.next_index++;
  // The entry is numbered now, before its subtree, as the creation order requires.
  TreeItem* subfolder = AddChild(state, state.info, frame, entries[index]);
  EnterSubfolder(state, *subfolder, index);
  return true;
}

}  // namespace

void ScanFolder(FolderWalker& walker, Platform& platform, const AppOptions& options,
                TreeStore& store, const PathText& path, TreeItem& root,
                std::vector<SharedFile>* shared_files, std::vector<UnreadFolder>* unread,
                ScanListener* listener, TreeFeed* feed, const FolderFinish* finish) {
  ScanState state{walker,     EntryInfoContext{platform, options, store, {}},
                  {},         {},
                  {},         shared_files,
                  unread,     platform.PathSeparator(),
                  path.Shown, {},
                  listener,   feed,
                  finish};
  WalkRules rules;
  // File entries that nothing reads are not made.
  rules.FilesWanted = options.NeedFileEntries || listener != nullptr;
  rules.FollowLinks = options.FollowLinks;
  rules.OneFileSystem = options.OneFileSystem;
  rules.KindsWanted = options.ShowColor || options.ShowJson;  // the document tells links apart
  rules.EnterEachFolderOnce = options.CountDiskUsage;
  rules.NeedLinkTargets = options.ShowLinkTargets;
  rules.CountLinksThemselves = options.CountDiskUsage;
  rules.OwnInfoWanted = listener != nullptr;
  rules.Threads = options.WalkThreads;
  rules.DotFoldersWanted = options.ShowDotFolders;
  rules.DepthLimit = static_cast<size_t>(std::max(options.ScanDepthLimit, 0));
  rules.ChartIsStreamed = options.IsChartStreamed;
  walker.SetWalkRules(rules);
  for (const std::string& pattern : options.ExcludePatterns) {
    state.exclude_patterns.push_back(pattern);
    platform.LowerCase(state.exclude_patterns.back().data(), pattern.size());
  }
  // A root that cannot be opened charts as an empty folder; so does one that the chart needs
  // nothing of (the depth shown is 0 and nothing below is counted).
  if (options.ScanDepthLimit == 0) {
    root.IsFolder = true;
    if (feed) feed->FolderWalked(root);
    return;
  }
  if (!walker.EnterRoot(path)) {
    NoteUnread(state, path.Shown, root);
    if (listener) listener->BeginFolder(walker.RootEntry(), ScanMark::kUnread);
    if (listener) listener->EndFolder();
    root.IsFolder = true;
    if (feed) feed->FolderWalked(root);
    return;
  }
  const FolderEntry& root_entry = walker.RootEntry();
  if (options.CountDiskUsage && root_entry.HasInfo) root.Size = AccountedSize(options, root_entry);
  BeginFolder(state, root, root_entry);
  while (!state.frames.empty()) {
    if (!StepIntoNextSubfolder(state)) FinishFolder(state);
  }
}
