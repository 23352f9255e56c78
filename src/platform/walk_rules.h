// The rules every folder walker keeps alike, so that a chart means the same on every platform:
// what the scan asks of a walk (WalkRules), and the loop rules that keep links from making a walk
// endless (LoopRules), over an identity of folders that each system gives in its own way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>

// What the scan asks of a walk.
struct WalkRules {
  // The scan uses file entries. When it does not (a chart of folders only), a walker may leave
  // out of its listings the entries it already knows to be files, which spares the sort and
  // conversion of most names.
  bool FilesWanted = true;
  // Folders reached through a link (a symbolic link, or a link or junction on Windows) are
  // entered. When not, such a folder is shown but not entered, so nothing is counted twice.
  bool FollowLinks = true;
  // Only folders on the charted folder's own file system (device, or volume on Windows) are
  // entered; a folder on another one is shown but not entered.
  bool OneFileSystem = false;
  // A folder is entered once in the whole walk, however many links lead to it, so that counting
  // what the walk meets counts each folder once.
  bool EnterEachFolderOnce = false;
  // The listings read where each link points (FolderEntry::LinkTarget).
  bool NeedLinkTargets = false;
  // A link's size and time are its own for a link to a folder too (a folder's are otherwise its
  // target's).
  bool CountLinksThemselves = false;
  // Each entry's kind is read (FolderEntry::Kind), which costs a look at every entry: only a
  // coloured chart asks for it.
  bool KindsWanted = false;
  // Each entry's own information is read (FolderEntry::Own), the root's too: for an export.
  bool OwnInfoWanted = false;
  // Threads that read folders for the walk: 1 reads them one by one on the walk's own thread,
  // 0 lets the walker choose. A walker may read with one thread whatever is asked; the chart is
  // the same byte for byte with any number.
  size_t Threads = 1;
  // Folders whose names start with "." are charted; when not, a walker that reads ahead spares
  // itself reading them.
  bool DotFoldersWanted = true;
  // The walk enters no folder this deep (the root is 0): a walker that reads ahead stops above.
  size_t DepthLimit = SIZE_MAX;
  // The chart is written as the walk goes and holds little besides: a walker that reads ahead
  // holds less ahead of it.
  bool ChartIsStreamed = false;
};

// True when `rules` keep a folder out of the walk: it is reached through a link and links are
// not followed, or it lies on another file system than the charted folder and only that one is
// walked. The walkers' one test of the rules, whatever else they refuse.
bool IsKeptOutByRules(const WalkRules& rules, bool through_link, bool on_other_file_system);

// A folder as the system knows it, whatever path reached it: device and inode on Linux, volume
// serial number and file index on Windows.
struct FolderIdentity {
  uint64_t Volume = 0;
  uint64_t File = 0;
  bool operator==(const FolderIdentity& other) const = default;
};

struct FolderIdentityHash {
  size_t operator()(const FolderIdentity& identity) const;
};

// The two rules that keep links (symbolic links, Windows links and junctions) from making a walk
// endless:
// - a folder that is one of the folders the walk is inside, or one that holds the charted folder,
//   is shown but not entered: either would repeat the chart inside itself;
// - below a link, a further link leads only to a folder that no link has led the walk into yet,
//   so that webs of links such as /sys, where the paths multiply at every level, are walked in
//   bounded time.
// The walker tells which folders it entered and left, and asks before entering one. It may leave
// folders it knows to be harmless unidentified and name them later, as long as every entered
// folder is noted before a folder that could be it is asked about: on Windows only links and the
// folders below them are identified, and the folders above a link when the link is asked about.
class LoopRules {
 public:
  // Forgets the last walk: no folder entered, none led into by a link, none known to hold the
  // charted folder.
  void Restart();
  // With `once`, a folder left still counts as entered: no later way leads into it again.
  void SetEnterOnce(bool once) { enter_once_ = once; }
  // Notes a folder that holds the charted one.
  void AddOuterFolder(const FolderIdentity& folder);
  // True when `folder` may be entered from the current folder, which `parent_below_link` when
  // it was reached through a link or lies below one; `through_link` when a link leads to it.
  bool MayEnter(const FolderIdentity& folder, bool through_link, bool parent_below_link) const;
  // Notes that the walk is inside `folder`, which `below_link` when it was reached through a
  // link or lies below one.
  void NoteEntered(const FolderIdentity& folder, bool below_link);
  // Notes that the walk left `folder`; a link led into it still counts as led into.
  void NoteLeft(const FolderIdentity& folder);

 private:
  using FolderSet = std::unordered_set<FolderIdentity, FolderIdentityHash>;
  FolderSet entered_;
  FolderSet outer_;   // the charted folder's own ancestors
  FolderSet linked_;  // every folder entered below a link
  bool enter_once_ = false;
};
