// Filling one tree entry from its folder listing: name, sort keys, size and time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/chart_text.h"
#include "common/tree_item.h"

class Platform;
struct AppOptions;
struct FolderEntry;

// What ReadEntryInfo needs besides the entry: the lower-casing, what the options ask for, the
// store that keeps the texts, and one buffer reused for every name so that no entry allocates
// beyond its texts.
struct EntryInfoContext {
  Platform& platform;
  const AppOptions& options;
  TreeStore& store;
  std::string key_buffer;
};

// The byte position of a name's extension: its last full stop, where a later byte of a character
// (stepped through by `length`) never counts as one; `name.size()` when there is none.
size_t FindExtensionStart(std::string_view name,
                          CharacterLengthFunction length = Cp932CharacterLength);

// The size an entry counts with: its size, or the space it takes on disk where the options count
// that (CountDiskUsage without CountApparentSizes).
uint64_t AccountedSize(const AppOptions& options, const FolderEntry& entry);

// Fills `item` from `entry`: the name always; the name and extension keys when an ordering
// is chosen (NeedSortKeys), and a link's target after it where the chart shows it (ShowLinkTargets:
// "name -> target", as one name, so the columns line up after it); size and time when they are
// needed (NeedFileInfo) and were read (otherwise they keep 0).
void ReadEntryInfo(EntryInfoContext& context, const FolderEntry& entry, TreeItem& item);
