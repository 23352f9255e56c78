// Filling one tree entry from its folder listing: name, sort keys, size and time.
#include "tree/entry_info.h"

#include <cstdint>

#include "common/app_options.h"
#include "platform/platform.h"

namespace {

// NameLength is 16 bits wide; no file system gives a name anywhere near this long.
constexpr size_t kMaxNameLength = UINT16_MAX;
constexpr std::string_view kLinkArrow = " -> ";
// The JSON document writes the name and the target apart: a zero byte, which neither holds,
// parts them (output/json_tree).
constexpr std::string_view kJsonLinkJoin("\0", 1);

// Names the entry with its sort keys. Lower-casing keeps the length, so one lower-cased copy
// serves both keys, and a name that is already lower case serves as its own key.
// The extension is looked for in the first `own_length` bytes, the entry's own name, never in
// a link's target after it.
void SetNameAndKeys(EntryInfoContext& context, std::string_view name, size_t own_length,
                    TreeItem& item) {
  std::string& key = context.key_buffer;
  key.assign(name.data(), name.size());
  context.platform.LowerCase(key.data(), key.size());
  const CharacterLengthFunction length = ChartCharacterLength(context.options.IsUtf8Chart);
  size_t ext_start = FindExtensionStart(name.substr(0, own_length), length);
  if (ext_start >= own_length) ext_start = name.size();
  SetItemNameAndKeys(context.store, item, name, key, ext_start);
}

}  // namespace

size_t FindExtensionStart(std::string_view name, CharacterLengthFunction length) {
  // Most names are ASCII, where no byte can be a trail byte: the last full stop is the answer.
  unsigned char high_bits = 0;
  for (char c : name) high_bits |= static_cast<unsigned char>(c);
  if (high_bits < 0x80) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name.size() : dot;
  }
  size_t start = name.size();
  for (size_t i = 0; i < name.size(); i += length(name, i)) {
    if (name[i] == '.') start = i;  // a later byte of a character is skipped, never a full stop
  }
  return start;
}

uint64_t AccountedSize(const AppOptions& options, const FolderEntry& entry) {
  const bool is_space = options.CountDiskUsage && !options.CountApparentSizes;
  return is_space ? entry.AllocatedBytes : entry.Size;
}

void ReadEntryInfo(EntryInfoContext& context, const FolderEntry& entry, TreeItem& item) {
  item.Kind = entry.Kind;
  std::string_view name = entry.Name.substr(0, kMaxNameLength);
  const size_t own_length = name.size();
  std::string linked_name;
  if (context.options.ShowLinkTargets && !entry.LinkTarget.empty()) {
    const std::string_view join = context.options.ShowJson ? kJsonLinkJoin : kLinkArrow;
    linked_name.append(name).append(join).append(entry.LinkTarget);
    name = std::string_view(linked_name).substr(0, kMaxNameLength);
  }
  if (context.options.NeedSortKeys) {
    SetNameAndKeys(context, name, own_length, item);
  } else {
    SetItemName(context.store, item, name);
  }
  // An entry whose information could not be read keeps its zeroes; nothing is reported.
  if (context.options.NeedFileInfo && entry.HasInfo) {
    item.Size = AccountedSize(context.options, entry);
    item.WriteTime = entry.WriteTime;
  }
}
