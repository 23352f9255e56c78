// The chart as one JSON document, written line by line while the finished tree is walked, as
// the chart's lines are: one entry a line and no indentation, so a tree thousands of levels deep
// costs a document no larger than its entries (an indentation by depth would grow it by the
// square of the depth).
#include "output/json_tree.h"

#include <string>
#include <string_view>
#include <unordered_map>

#include "common/app_options.h"
#include "output/json_text.h"
#include "platform/platform.h"

namespace {

// A link's name and target are kept as one text joined by a zero byte (ReadEntryInfo), which
// no name and no target holds.
constexpr char kLinkJoin = '\0';

struct JsonContext {
  const AppOptions& options;
  std::unordered_map<const TreeItem*, std::string_view> errors;
  JsonReport& report;
  std::string line;  // reused for every line
};

bool IsShown(const JsonContext& context, const TreeItem* item) {
  return item->IsFolder || context.options.ShowFiles;
}

// The first entry from `item` on (itself included) that the document shows; null when none is.
const TreeItem* FirstShown(const JsonContext& context, const TreeItem* item) {
  while (item && !IsShown(context, item)) item = item->NextSibling;
  return item;
}

std::string_view TypeText(const TreeItem& item) {
  switch (item.Kind) {
    case KindLink:
    case KindOrphanLink:
      return "link";
    case KindFifo:
      return "fifo";
    case KindSocket:
      return "socket";
    case KindBlockDevice:
      return "blockdev";
    case KindCharDevice:
      return "chardev";
    default:
      return item.IsFolder ? "directory" : "file";
  }
}

void AppendNameFields(std::string& line, std::string_view name) {
  const size_t join = name.find(kLinkJoin);
  AppendJsonTextField(line, "name", name.substr(0, join));
  if (join != std::string_view::npos) AppendJsonTextField(line, "target", name.substr(join + 1));
}

void AppendFolderFields(JsonContext& context, const TreeItem& folder) {
  const AppOptions& options = context.options;
  if (options.ShowSum) {
    AppendJsonNumberField(context.line, "files", folder.FileCount);
    AppendJsonNumberField(context.line, "bytes", folder.OwnBytes());
  }
  if (options.ShowTotal) {
    AppendJsonNumberField(context.line, "total_files", folder.TotalFiles);
    AppendJsonNumberField(context.line, "total_bytes", folder.CumulativeBytes());
  }
  const auto error = context.errors.find(&folder);
  if (error != context.errors.end()) AppendJsonTextField(context.line, "error", error->second);
}

void AppendFileFields(JsonContext& context, const TreeItem& file) {
  const AppOptions& options = context.options;
  if (options.ShowSize) AppendJsonNumberField(context.line, "size", file.Size);
  if (options.ShowTime) AppendJsonTimeField(context.line, "time", file.WriteTime);
  ++context.report.Files;
  if (options.ShowSize) context.report.Bytes += file.Size;
}

// Writes the line of `item` at `depth`. Returns true when the line opens the folder's contents,
// which later lines fill and CloseContents ends; false when the entry is whole on its line.
bool WriteEntry(Platform& platform, JsonContext& context, const TreeItem& item, size_t depth) {
  std::string& line = context.line;
  line.assign("{\"type\":\"").append(TypeText(item)).append("\"");
  AppendNameFields(line, item.Name());
  if (!item.IsFolder) {
    AppendFileFields(context, item);
    line += '}';
  } else {
    if (depth > 0) ++context.report.Folders;
    AppendFolderFields(context, item);
    const bool is_open = depth < static_cast<size_t>(context.options.MaxDepth) &&
                         FirstShown(context, item.Children.First) != nullptr;
    line += is_open ? ",\"contents\":[" : ",\"contents\":[]}";
    if (is_open) {
      line += "\r\n";
      platform.WriteLine(line);
      return true;
    }
  }
  // A comma after every entry that another follows; the charted folder is followed by the report.
  if (depth == 0 || FirstShown(context, item.NextSibling) != nullptr) line += ',';
  line += "\r\n";
  platform.WriteLine(line);
  return false;
}

void CloseContents(Platform& platform, JsonContext& context, const TreeItem& folder, size_t depth) {
  context.line.assign("]}");
  if (depth == 0 || FirstShown(context, folder.NextSibling) != nullptr) context.line += ',';
  context.line += "\r\n";
  platform.WriteLine(context.line);
}

}  // namespace

void BeginJsonDocument(Platform& platform) { platform.WriteLine("[\r\n"); }

void PrintJsonTree(Platform& platform, const AppOptions& options, const TreeItem& root,
                   const std::vector<UnreadFolder>& unread, JsonReport& report) {
  JsonContext context{options, {}, report, {}};
  for (const UnreadFolder& folder : unread) context.errors[folder.Folder] = folder.Reason;
  // An explicit stack for deep trees: each open folder and its next entry to look at.
  struct OpenFolder {
    const TreeItem* folder;
    const TreeItem* next;
  };
  std::vector<OpenFolder> open;
  if (WriteEntry(platform, context, root, 0)) open.push_back({&root, root.Children.First});
  while (!open.empty()) {
    const size_t depth = open.size();
    OpenFolder& top = open.back();
    const TreeItem* item = FirstShown(context, top.next);
    if (item == nullptr) {
      CloseContents(platform, context, *top.folder, depth - 1);
      open.pop_back();
      continue;
    }
    top.next = item->NextSibling;
    if (WriteEntry(platform, context, *item, depth)) open.push_back({item, item->Children.First});
  }
}

void EndJsonDocument(Platform& platform, const AppOptions& options, const JsonReport& report) {
  std::string line = "{\"type\":\"report\"";
  AppendJsonNumberField(line, "directories", report.Folders);
  AppendJsonNumberField(line, "files", report.Files);
  if (options.ShowSize) AppendJsonNumberField(line, "bytes", report.Bytes);
  line += "}\r\n";
  platform.WriteLine(line);
  platform.WriteLine("]\r\n");
}
