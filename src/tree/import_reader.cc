// Reading a saved scan: a streaming JSON reader's events checked against the export format,
// one state per place in the document, the open folders on an explicit stack. The document
// itself is never held: only the items the chart will read, so that a large file costs what
// its chart costs.
#include "tree/import_reader.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>

#include "tree/scan_input.h"

namespace {

constexpr uint64_t kMaxSize = std::numeric_limits<int64_t>::max();
constexpr uint64_t kMaxLinkCount = std::numeric_limits<uint32_t>::max();
// Seconds up to the year 9999: later times are no real file's, and the chart's arithmetic
// on file times stays far from its limits.
constexpr uint64_t kMaxSeconds = 253402300799;
constexpr uint64_t kMaxItems = std::numeric_limits<uint32_t>::max() - 1;
constexpr uint64_t kMaxMinorVersion = 2;
// A record, its name included, fits a block's 32-bit offsets.
constexpr size_t kMaxNameLength = std::numeric_limits<uint32_t>::max() / 2;

using Json = nlohmann::json;

enum Place {
  kOuterArray,  // the document's array
  kMajor,       // its version numbers
  kMinor,
  kMetadata,    // the object about the scan
  kRoot,        // the root folder's array
  kOuterEnd,    // the end of the document's array
  kFolderInfo,  // a folder's array, before its info object
  kItems,       // a folder's array, after it: items or its end
  kInfoKey,     // an info object: a key or its end
  kInfoValue,   // the value of a key
  kDone,
};

enum Key {
  kKeyUnknown,
  kKeyName,
  kKeyApparent,
  kKeyDisk,
  kKeyDevice,
  kKeyInode,
  kKeyLinks,
  kKeyHardLink,
  kKeyReadError,
  kKeyExcluded,
  kKeyNotRegular,
  kKeyTime
};

Key FindKey(std::string_view name) {
  static constexpr std::pair<std::string_view, Key> kKeys[] = {
      {"name", kKeyName},         {"asize", kKeyApparent},
      {"dsize", kKeyDisk},        {"dev", kKeyDevice},
      {"ino", kKeyInode},         {"nlink", kKeyLinks},
      {"hlnkc", kKeyHardLink},    {"read_error", kKeyReadError},
      {"excluded", kKeyExcluded}, {"notreg", kKeyNotRegular},
      {"mtime", kKeyTime}};
  for (const auto& [text, key] : kKeys) {
    if (text == name) return key;
  }
  return kKeyUnknown;
}

// What the JSON reader told: a scalar's kind and value.
struct Scalar {
  enum Kind { kNull, kBool, kUnsigned, kNegative, kFraction, kString };
  explicit Scalar(Kind k, uint64_t n = 0, bool t = false, std::string_view s = {})
      : kind(k), number(n), truth(t), text(s) {}
  Kind kind;
  uint64_t number;
  bool truth;
  std::string_view text;
};

class ScanBuilder : public nlohmann::json_sax<Json> {
 public:
  ScanBuilder(ScanInput& source, ImportedScan& scan, const ImportFilter& filter)
      : source_(source), scan_(scan), filter_(filter) {}

  const std::string& Error() const { return error_; }
  bool IsComplete() const { return place_ == kDone; }

  bool null() override { return TakeScalar(Scalar(Scalar::kNull)); }
  bool boolean(bool value) override { return TakeScalar(Scalar(Scalar::kBool, 0, value)); }
  bool number_integer(number_integer_t value) override {
    return TakeScalar(
        Scalar(value < 0 ? Scalar::kNegative : Scalar::kUnsigned, static_cast<uint64_t>(value)));
  }
  bool number_unsigned(number_unsigned_t value) override {
    return TakeScalar(Scalar(Scalar::kUnsigned, value));
  }
  bool number_float(number_float_t, const string_t&) override {
    return TakeScalar(Scalar(Scalar::kFraction));
  }
  bool string(string_t& value) override {
    return TakeScalar(Scalar(Scalar::kString, 0, false, value));
  }
  bool binary(binary_t&) override { return TakeScalar(Scalar(Scalar::kNull)); }
  bool start_object(std::size_t) override;
  bool key(string_t& key) override;
  bool end_object() override;
  bool start_array(std::size_t) override;
  bool end_array() override;
  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& failure) override {
    // The reader's own words, without the library's "[json.exception...] " tag.
    std::string what = failure.what();
    const size_t tag_end = what.find("] ");
    if (tag_end != std::string::npos) what.erase(0, tag_end + 2);
    if (source_.HasReadFailed()) what = "the file could not be read";
    // The bytes handed over, which the reader's position passes by one at the end of the input.
    return Fail("not a saved scan: " + what, std::min<uint64_t>(position, source_.Offset()));
  }

 private:
  struct OpenFolder {
    uint64_t Position;  // of its record, when it is kept
    uint64_t Device;
    size_t PathStart;  // where its name begins in path_
    bool IsKept;
    bool IsChildrenKept;
    bool HasChildren;
    uint32_t LeftOutFiles;
  };

  bool TakeScalar(const Scalar& value);
  bool TakeInfoValue(const Scalar& value);
  bool StartItem(bool is_folder);
  bool FinishInfo();
  bool IsKept() const;
  bool IsChildrenKept(bool is_kept) const;
  void FinishFolder();
  bool Fail(std::string_view what) { return Fail(what, source_.Offset()); }
  bool Fail(std::string_view what, uint64_t offset);
  bool FailKey(std::string_view what) { return Fail("\"" + key_text_ + "\" " + std::string(what)); }
  bool TakeNumber(const Scalar& value, uint64_t most, uint64_t& out);
  bool TakeTruth(const Scalar& value, bool& out);
  std::string ItemPath() const;
  // Skips the value just begun, an array or object, and goes on at `next` after it.
  bool Skip(Place next) {
    place_ = next;
    skip_depth_ = 1;
    return true;
  }

  ScanInput& source_;
  ImportedScan& scan_;
  const ImportFilter& filter_;
  ImportedItem item_;  // the item being read
  std::string name_;
  std::string path_;  // the open folders' names
  Place place_ = kOuterArray;
  uint64_t skip_depth_ = 0;
  std::vector<OpenFolder> folders_;
  Key key_ = kKeyUnknown;
  std::string key_text_;
  bool has_name_ = false;
  bool is_array_item_ = false;  // the item being read opened an array: a folder's
  std::string error_;
};

bool ScanBuilder::Fail(std::string_view what, uint64_t offset) {
  // The reader tells of a value once it has read past it, so the offset is where it stopped.
  error_ = std::string(what) + " near byte " + std::to_string(offset);
  if (scan_.ItemCount > 0 && place_ != kOuterEnd && place_ != kDone) {
    error_ += " (item '" + ItemPath() + "')";
  }
  return false;
}

// The path of the item being read: its open folders' names and its own, as far as known.
std::string ScanBuilder::ItemPath() const {
  std::string path = path_;
  const bool is_in_info = place_ == kInfoKey || place_ == kInfoValue;
  if (is_in_info) {
    if (!path.empty() && path.back() != '/') path += '/';
    path += has_name_ ? name_ : "?";
  }
  return path;
}

bool ScanBuilder::StartItem(bool is_folder) {
  if (scan_.ItemCount >= kMaxItems) return Fail("too many items");
  ++scan_.ItemCount;
  item_ = ImportedItem{};
  item_.IsFolder = is_folder;
  if (!folders_.empty()) {
    folders_.back().HasChildren = true;
    item_.Device = folders_.back().Device;
  }
  name_.clear();
  has_name_ = false;
  is_array_item_ = is_folder;
  place_ = kInfoKey;
  return true;
}

// Whether the item just read is kept: the root always is; an item of a folder whose items are
// kept is unless it is a file and files are not wanted.
bool ScanBuilder::IsKept() const {
  if (folders_.empty()) return true;
  return folders_.back().IsChildrenKept && (item_.IsFolder || filter_.FilesWanted);
}

// Whether the items of the folder just read are kept: the root's always, others' not when the
// walk will never list them, below a folder it does not enter or at a level deeper than the
// chart's.
bool ScanBuilder::IsChildrenKept(bool is_kept) const {
  // The root is listed whatever its info object says.
  if (folders_.empty()) return true;
  if (!is_kept || item_.IsExcluded || item_.IsNotEntered) return false;
  const bool is_dot_folder = name_[0] == '.';
  if (is_dot_folder && !filter_.DotFoldersWanted) return false;
  const int64_t child_level = static_cast<int64_t>(folders_.size()) + 1;
  return child_level <= filter_.DepthLimit;
}

bool ScanBuilder::FinishInfo() {
  if (!has_name_) return Fail("an item has no \"name\"");
  if (!folders_.empty() && (name_.empty() || name_.find('/') != std::string::npos)) {
    return Fail("an item's name is empty or holds \"/\"");
  }
  if (folders_.empty()) scan_.RootName = name_;
  const bool is_kept = IsKept();
  const uint64_t folder_device = folders_.empty() ? 0 : folders_.back().Device;
  if (!filter_.InfoWanted && !folders_.empty()) {
    // Only the root's own figures are read then: every other item is kept as name and kind.
    const ImportedItem kind = item_;
    item_ = ImportedItem{};
    item_.Device = kind.Device;
    item_.IsFolder = kind.IsFolder;
    item_.HasReadError = kind.HasReadError;
    item_.IsExcluded = kind.IsExcluded;
    item_.IsNotEntered = kind.IsNotEntered;
  }
  const uint64_t position = is_kept ? AppendImportedRecord(scan_, item_, name_, folder_device) : 0;
  // A file left out by a pattern is no file of the folder's: only the others are counted.
  if (!is_kept && !item_.IsFolder && !item_.IsExcluded && folders_.back().IsChildrenKept) {
    ++folders_.back().LeftOutFiles;
  }
  if (is_array_item_) {
    const size_t path_start = path_.size();
    if (!path_.empty() && path_.back() != '/') path_ += '/';
    path_ += name_;
    folders_.push_back(
        {position, item_.Device, path_start, is_kept, IsChildrenKept(is_kept), false, 0});
  }
  place_ = kItems;
  return true;
}

void ScanBuilder::FinishFolder() {
  const OpenFolder& folder = folders_.back();
  if (folder.IsKept) {
    FinishImportedFolder(scan_, folder.Position, folder.HasChildren,
                         ImportedFolderTail{ImportedScanEnd(scan_), folder.LeftOutFiles});
  }
  path_.resize(folder.PathStart);
  folders_.pop_back();
}

bool ScanBuilder::TakeNumber(const Scalar& value, uint64_t most, uint64_t& out) {
  if (value.kind == Scalar::kNegative) return FailKey("is negative");
  if (value.kind == Scalar::kFraction || (value.kind == Scalar::kUnsigned && value.number > most)) {
    return FailKey("is not a whole number up to " + std::to_string(most));
  }
  if (value.kind != Scalar::kUnsigned) return FailKey("is not a number");
  out = value.number;
  return true;
}

bool ScanBuilder::TakeTruth(const Scalar& value, bool& out) {
  if (value.kind != Scalar::kBool) return FailKey("is not true or false");
  out = value.truth;
  return true;
}

bool ScanBuilder::TakeInfoValue(const Scalar& value) {
  ImportedItem& item = item_;
  place_ = kInfoKey;
  uint64_t number = 0;
  bool truth = false;  // the record's flags are bits, which take no reference
  switch (key_) {
    case kKeyUnknown:
      return true;
    case kKeyApparent:
      return TakeNumber(value, kMaxSize, item.ApparentBytes);
    case kKeyDisk:
      return TakeNumber(value, kMaxSize, item.DiskBytes);
    case kKeyDevice:
      return TakeNumber(value, UINT64_MAX, item.Device);
    case kKeyInode:
      return TakeNumber(value, UINT64_MAX, item.Inode);
    case kKeyHardLink:
      if (!TakeTruth(value, truth)) return false;
      item.HasOtherNames = truth;
      return true;
    case kKeyReadError:
      if (!TakeTruth(value, truth)) return false;
      item.HasReadError = truth;
      return true;
    case kKeyNotRegular:
      return TakeTruth(value, truth);
    case kKeyLinks:
      if (!TakeNumber(value, kMaxLinkCount, number)) return false;
      item.HasOtherNames = item.HasOtherNames || (!item.IsFolder && number > 1);
      return true;
    case kKeyTime:
      if (!TakeNumber(value, kMaxSeconds, number)) return false;
      item.WriteSeconds = static_cast<int64_t>(number);
      item.HasTime = true;
      return true;
    case kKeyExcluded:
      if (value.kind != Scalar::kString) return FailKey("is not a text");
      item.IsExcluded = value.text == "pattern";
      item.IsNotEntered = !item.IsExcluded;
      // Only a folder is left unentered (another file system, a kernel's): saved as an object.
      item.IsFolder = item.IsFolder || item.IsNotEntered;
      return true;
    case kKeyName:
      if (value.kind != Scalar::kString) return FailKey("is not a text");
      if (value.text.size() > kMaxNameLength) return Fail("a name is too long");
      name_.assign(value.text);
      has_name_ = true;
      return true;
  }
  return true;
}

bool ScanBuilder::TakeScalar(const Scalar& value) {
  if (skip_depth_ > 0) return true;
  switch (place_) {
    case kMajor:
      if (value.kind != Scalar::kUnsigned || value.number != 1) {
        return Fail("not a saved scan of version 1");
      }
      place_ = kMinor;
      return true;
    case kMinor:
      if (value.kind != Scalar::kUnsigned || value.number > kMaxMinorVersion) {
        return Fail("a saved scan of a version after 1.2");
      }
      place_ = kMetadata;
      return true;
    case kInfoValue:
      return TakeInfoValue(value);
    case kOuterArray:
      return Fail("not a saved scan: no array");
    case kMetadata:
      return Fail("not a saved scan: no object about the scan");
    case kRoot:
      return Fail("not a saved scan: the root is not a folder");
    default:
      return Fail("not a saved scan: a value where an item belongs");
  }
}

bool ScanBuilder::start_object(std::size_t) {
  if (skip_depth_ > 0) return ++skip_depth_, true;
  switch (place_) {
    case kMetadata:
      return Skip(kRoot);
    case kFolderInfo:
      return StartItem(true);
    case kItems:
      return StartItem(false);
    case kInfoValue:
      if (key_ == kKeyUnknown) return Skip(kInfoKey);
      return FailKey("is an object");
    case kRoot:
      return Fail("not a saved scan: the root is not a folder");
    default:
      return Fail("not a saved scan: an object out of place");
  }
}

bool ScanBuilder::key(string_t& key) {
  if (skip_depth_ > 0) return true;
  key_text_ = key;
  key_ = FindKey(key);
  place_ = kInfoValue;
  return true;
}

bool ScanBuilder::end_object() {
  if (skip_depth_ > 0) return --skip_depth_, true;
  return FinishInfo();
}

bool ScanBuilder::start_array(std::size_t) {
  if (skip_depth_ > 0) return ++skip_depth_, true;
  switch (place_) {
    case kOuterArray:
      place_ = kMajor;
      return true;
    case kRoot:
    case kItems:
      place_ = kFolderInfo;
      return true;
    case kInfoValue:
      if (key_ == kKeyUnknown) return Skip(kInfoKey);
      return FailKey("is an array");
    case kMetadata:
      return Fail("not a saved scan: no object about the scan");
    default:
      return Fail("not a saved scan: an array out of place");
  }
}

bool ScanBuilder::end_array() {
  if (skip_depth_ > 0) return --skip_depth_, true;
  switch (place_) {
    case kItems:
      FinishFolder();
      place_ = folders_.empty() ? kOuterEnd : kItems;
      return true;
    case kOuterEnd:
      place_ = kDone;
      return true;
    case kFolderInfo:
      return Fail("a folder's array does not begin with its info object");
    default:
      return Fail("not a saved scan: no tree in it");
  }
}

}  // namespace

int ReadImportedScan(std::FILE* file, std::string_view text, ImportedScan& scan, std::string& error,
                     const ImportFilter& filter) {
  scan = ImportedScan{};
  ScanInput source(file, text);
  ScanBuilder builder(source, scan, filter);
  const bool is_read = Json::sax_parse(ScanInputIterator{&source}, ScanInputIterator{}, &builder);
  if (is_read && builder.IsComplete()) return 0;
  error = builder.Error().empty() ? "not a saved scan" : builder.Error();
  scan = ImportedScan{};
  return -1;
}
