// What a scan meets, told in the walk's order: for output written while the walk goes on.
#pragma once

struct FolderEntry;

// How the scan treated an entry.
enum class ScanMark {
  kRead,      // a file, or a folder entered and listed
  kUnread,    // a folder that could not be opened or listed
  kKeptOut,   // a folder the walk rules or the platform kept out (a link, another file system)
  kExcluded,  // left out by an exclusion pattern, or a folder named ".name" that is not asked for
};

// Told of every entry of every folder the scan lists, excluded ones included, whatever the
// chart keeps of them. Each entered folder's calls nest between its BeginFolder and EndFolder.
class ScanListener {
 public:
  virtual ~ScanListener() = default;
  // A folder entered: the root (the walker's RootEntry) first, then each subfolder, with its
  // entry in its parent's listing. `mark` is kRead, or kUnread when it could not be listed.
  virtual void BeginFolder(const FolderEntry& entry, ScanMark mark) = 0;
  // An entry of the current folder that is not entered: a file, or a folder not walked.
  virtual void AddEntry(const FolderEntry& entry, ScanMark mark) = 0;
  // The current folder ends.
  virtual void EndFolder() = 0;
};
