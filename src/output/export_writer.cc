// The scan written in the interchange format of disk-usage tools (a JSON export, version 1.2).
//
// The layout: [1,2,{header},[{root},item,[{folder},...],...]]: a folder is an array that opens
// with its own object, a file (or a folder not walked but not unread) an object. Every item
// begins on a line of its own, after a comma, so that a reader of lines sees one item per line.
#include "output/export_writer.h"

#include "common/fixed_texts.h"

namespace {

// Past this the buffer goes to the file: few writes, and little memory.
constexpr size_t kFlushBytes = 1 << 15;

void AppendNumberField(std::string& out, std::string_view key, uint64_t value) {
  out.append(",\"").append(key).append("\":").append(std::to_string(value));
}

// The version text without its "Ver " (kVersionText).
std::string_view ProgramVersion() {
  std::string_view version = kVersionText;
  const size_t blank = version.rfind(' ');
  return blank == std::string_view::npos ? version : version.substr(blank + 1);
}

}  // namespace

void AppendRawJsonString(std::string& out, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (byte < 0x20 || byte == 0x7f) {
      out.append("\\u00").push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 15]);
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
}

ExportWriter::ExportWriter(OutputFile& file, bool one_file_system)
    : file_(file), one_file_system_(one_file_system) {}

void ExportWriter::WriteHeader(int64_t timestamp) {
  buffer_.append("[1,2,{\"progname\":\"quovrel\",\"progver\":");
  AppendRawJsonString(buffer_, ProgramVersion());
  buffer_.append(",\"timestamp\":").append(std::to_string(timestamp)).append("}");
}

// A link to a folder that the walk enters is written as the link, and what it leads to is not.
void ExportWriter::BeginFolder(const FolderEntry& entry, ScanMark mark) {
  if (hidden_depth_ > 0 || entry.IsLink) {
    if (hidden_depth_++ == 0) WriteItem(entry, ScanMark::kRead, false);
    return;
  }
  buffer_.append(",\n[");
  WriteItem(entry, mark, true);
  devices_.push_back(entry.Own.FileId.Volume);
}

void ExportWriter::AddEntry(const FolderEntry& entry, ScanMark mark) {
  if (hidden_depth_ > 0) return;
  // A link is written as itself, whatever the walk did with it.
  if (entry.IsLink && mark != ScanMark::kExcluded) mark = ScanMark::kRead;
  const bool is_folder = entry.IsFolder && !entry.IsLink;
  if (is_folder) buffer_.append(",\n[");
  WriteItem(entry, mark, is_folder);
  if (is_folder) buffer_.push_back(']');
  Flush();
}

void ExportWriter::EndFolder() {
  if (hidden_depth_ > 0) {
    --hidden_depth_;
    return;
  }
  buffer_.push_back(']');
  devices_.pop_back();
  Flush();
}

int ExportWriter::Finish() {
  buffer_.append("]\n");
  file_.Write(buffer_);
  buffer_.clear();
  return file_.Finish();
}

// One item's object. What an item lacks is left out, as the format allows: sizes of 0, the
// information of an excluded item, and the device where it is its folder's.
void ExportWriter::WriteItem(const FolderEntry& entry, ScanMark mark, bool is_folder) {
  const EntryOwnInfo& own = entry.Own;
  // An empty buffer was just flushed after an item: only a folder's first item, right after the
  // "[" that BeginFolder put in the buffer, needs no comma.
  if (buffer_.empty() || buffer_.back() != '[') buffer_.append(",\n");
  buffer_.append("{\"name\":");
  AppendRawJsonString(buffer_, own.NativeName);
  // An identity of 0 is one the system did not give (a Windows link): no device, no inode.
  const bool has_identity = own.FileId.File != 0;
  const bool has_other_device =
      has_identity && !devices_.empty() && own.FileId.Volume != devices_.back();
  const bool is_described = own.HasInfo && (mark == ScanMark::kRead || mark == ScanMark::kUnread);
  if (is_described) {
    if (own.Size != 0) AppendNumberField(buffer_, "asize", own.Size);
    if (own.AllocatedBytes != 0) AppendNumberField(buffer_, "dsize", own.AllocatedBytes);
    if (devices_.empty() || has_other_device) AppendNumberField(buffer_, "dev", own.FileId.Volume);
    if (has_identity) AppendNumberField(buffer_, "ino", own.FileId.File);
    if (!is_folder && own.LinkCount > 1) {
      buffer_.append(",\"hlnkc\":true");
      AppendNumberField(buffer_, "nlink", own.LinkCount);
    }
  }
  if (mark == ScanMark::kUnread) buffer_.append(",\"read_error\":true");
  if (mark == ScanMark::kExcluded) buffer_.append(",\"excluded\":\"pattern\"");
  // A folder kept out on its own file system is a loop of links or mounts: shown empty, unmarked.
  if (mark == ScanMark::kKeptOut && is_folder && has_other_device) {
    buffer_.append(one_file_system_ ? ",\"excluded\":\"otherfs\"" : ",\"excluded\":\"kernfs\"");
  }
  if (!is_folder && own.HasInfo && !own.IsRegular) buffer_.append(",\"notreg\":true");
  if (is_described) {
    buffer_.append(",\"mtime\":").append(std::to_string(own.WriteSeconds));
  }
  buffer_.push_back('}');
}

void ExportWriter::Flush() {
  if (buffer_.size() < kFlushBytes) return;
  file_.Write(buffer_);
  buffer_.clear();
}
