// The chart reader: connectors, folder summaries, file columns and the sum check.
#include "chart_reader.h"

#include <iconv.h>

#include <algorithm>
#include <fstream>

namespace {

constexpr std::string_view kAsciiGlyphs[] = {"|   ", "    ", "+---", "`---"};
constexpr size_t kGlyphWidth = 4;
constexpr size_t kSizeColumn = 13;  // at least; a folder with a longer size text widens it
constexpr std::string_view kTimePattern = "dddd/dd/dd dd:dd";

bool IsPrefixGlyph(std::string_view text) {
  return text == kAsciiGlyphs[0] || text == kAsciiGlyphs[1];
}
bool IsBranchGlyph(std::string_view text) {
  return text == kAsciiGlyphs[2] || text == kAsciiGlyphs[3];
}

std::string Grouped(ChartSum value) {
  std::string digits = SumDigits(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

// A grouped number as the chart writes it ("4,294,967,295"); false for anything else; 38
// digits never overflow 128 bits.
bool ParseGrouped(std::string_view text, ChartSum& value) {
  ChartSum number = 0;
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  if (digits.empty() || digits.size() > 38) return false;
  for (char c : digits) number = number * 10 + static_cast<unsigned>(c - '0');
  value = number;
  return Grouped(value) == text;
}


bool MatchesTimePattern(std::string_view text) {
  if (text.size() != kTimePattern.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kTimePattern[i] == 'd' ? !digit : text[i] != kTimePattern[i]) return false;
  }
  return true;
}

// The texts of a folder summary, made once.
struct SummaryTexts {
  std::string open = Cp932Text("（");
  std::string files = Cp932Text(" ファイル ");
  std::string bytes = Cp932Text(" バイト");
  std::string between = Cp932Text("、累計 ");
  std::string close = Cp932Text("）");
};

const SummaryTexts& Summary() {
  static const SummaryTexts texts;
  return texts;
}

}  // namespace

std::string Cp932Text(std::string_view utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t in_left = utf8.size();
  char* next = out.data();
  size_t out_left = out.size();
  iconv(converter, &in, &in_left, &next, &out_left);
  iconv_close(converter);
  out.resize(out.size() - out_left);
  return out;
}

bool ChartReader::Fail(std::string reason) {
  if (problem_.empty()) problem_ = std::move(reason);
  return false;
}

bool ChartReader::AddLine(std::string_view line) {
  if (!problem_.empty()) return false;
  const std::string where = " (line " + std::to_string(entries_.size() + 1) + ")";
  for (char c : line) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return Fail("a control byte in a line" + where);
  }
  ChartEntry entry;
  size_t at = 0;
  if (!entries_.empty()) {
    size_t segments = 0;
    while (IsPrefixGlyph(line.substr(at, kGlyphWidth))) at += kGlyphWidth, ++segments;
    entry.is_folder = IsBranchGlyph(line.substr(at, kGlyphWidth));
    if (entry.is_folder) at += kGlyphWidth, ++segments;
    if (segments == 0) return Fail("a line without a connector" + where);
    entry.depth = segments;
    if (entry.depth > open_folders_.size()) return Fail("a line deeper than its folder" + where);
    entry.parent = open_folders_[entry.depth - 1];
  } else {
    entry.is_folder = true;
  }
  const std::string_view rest = line.substr(at);
  if (entry.is_folder ? !ParseFolderSummary(rest, entry) : !ParseFileDetails(rest, entry)) {
    return Fail("a malformed " + std::string(entry.is_folder ? "folder" : "file") + " line" +
                where + ": " + std::string(rest.substr(0, 200)));
  }
  if (entry.is_folder) {
    open_folders_.resize(entry.depth);
    open_folders_.push_back(static_cast<long>(entries_.size()));
    file_line_lengths_.resize(entry.depth);
    file_line_lengths_.push_back(0);
  } else {
    size_t& length = file_line_lengths_[entry.depth - 1];
    if (length == 0) length = line.size();
    if (length != line.size()) return Fail("a size column out of line with its folder's" + where);
  }
  deepest_ = std::max(deepest_, entry.depth);
  entries_.push_back(std::move(entry));
  return true;
}

// name（n ファイル b バイト、累計 N ファイル B バイト）
bool ChartReader::ParseFolderSummary(std::string_view text, ChartEntry& entry) {
  const SummaryTexts& s = Summary();
  const size_t open = text.rfind(s.open);
  if (open == std::string_view::npos || open == 0) return false;
  entry.name = std::string(text.substr(0, open));
  std::string_view summary = text.substr(open);
  std::vector<ChartSum> numbers;
  std::string digits;
  for (char c : summary) {
    if ((c >= '0' && c <= '9') || (c == ',' && !digits.empty())) {
      digits += c;
    } else if (!digits.empty()) {
      ChartSum value = 0;
      if (!ParseGrouped(digits, value)) return false;
      numbers.push_back(value);
      digits.clear();
    }
  }
  if (numbers.size() != 4 || numbers[0] > UINT32_MAX || numbers[2] > UINT32_MAX) return false;
  entry.own_files = static_cast<uint32_t>(numbers[0]);
  entry.own_bytes = numbers[1];
  entry.total_files = static_cast<uint32_t>(numbers[2]);
  entry.total_bytes = numbers[3];
  const std::string expected = s.open + Grouped(numbers[0]) + s.files + Grouped(numbers[1]) +
                               s.bytes + s.between + Grouped(numbers[2]) + s.files +
                               Grouped(numbers[3]) + s.bytes + s.close;
  return summary == expected;
}

// name, fill blanks, one blank, size column[, one blank, 16-byte time]. The size column is
// 13 bytes, or as wide as the longest size text of the folder; AddLine checks that it is straight.
bool ChartReader::ParseFileDetails(std::string_view text, ChartEntry& entry) {
  if (with_time_) {
    if (text.size() < kTimePattern.size() + 1) return false;
    entry.time = std::string(text.substr(text.size() - kTimePattern.size()));
    if (!MatchesTimePattern(entry.time)) return false;
    text.remove_suffix(kTimePattern.size());
    if (text.back() != ' ') return false;
    text.remove_suffix(1);
  }
  const size_t blank = text.rfind(' ');
  if (blank == std::string_view::npos) return false;
  const std::string_view size_text = text.substr(blank + 1);
  ChartSum size = 0;
  if (!ParseGrouped(size_text, size) || size > UINT64_MAX) return false;
  entry.size = static_cast<uint64_t>(size);
  const size_t column = std::max(kSizeColumn, size_text.size());
  if (text.size() < column + 2) return false;
  const std::string_view fill = text.substr(text.size() - column, column - size_text.size());
  if (fill.find_first_not_of(' ') != std::string_view::npos) return false;
  text.remove_suffix(column);
  if (text.back() != ' ') return false;
  text.remove_suffix(1);
  const size_t name_end = text.find_last_not_of(' ');
  if (name_end == std::string_view::npos) return false;
  entry.name = std::string(text.substr(0, name_end + 1));
  return true;
}

std::string ChartReader::CheckSums() const {
  std::vector<uint32_t> files(entries_.size()), child_files(entries_.size());
  std::vector<ChartSum> bytes(entries_.size()), child_bytes(entries_.size());
  for (const ChartEntry& entry : entries_) {
    if (entry.parent < 0) continue;
    const size_t parent = static_cast<size_t>(entry.parent);
    if (entry.is_folder) {
      child_files[parent] += entry.total_files;
      child_bytes[parent] += entry.total_bytes;
    } else {
      files[parent] += 1;
      bytes[parent] += entry.size;
    }
  }
  for (size_t i = 0; i < entries_.size(); ++i) {
    const ChartEntry& entry = entries_[i];
    if (!entry.is_folder) continue;
    const bool own_ok = entry.own_files == files[i] && entry.own_bytes == bytes[i];
    const bool total_ok =
        entry.total_files == entry.own_files + child_files[i] &&
        entry.total_bytes == entry.own_bytes + child_bytes[i];
    if (!own_ok || !total_ok) {
      return "the sums of folder line " + std::to_string(i + 1) + " (" + entry.name +
             ") are not those of the entries below it";
    }
  }
  return "";
}

std::string SumDigits(ChartSum value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  return digits;
}

std::vector<std::string> EntryPaths(const ChartReader& chart) {
  std::vector<std::string> paths;
  for (const ChartEntry& entry : chart.Entries()) {
    if (entry.parent < 0) {
      paths.emplace_back();
      continue;
    }
    const std::string& parent = paths[static_cast<size_t>(entry.parent)];
    paths.push_back(parent.empty() ? entry.name : parent + "/" + entry.name);
  }
  return paths;
}

size_t ChildCount(const ChartReader& chart, size_t index) {
  size_t count = 0;
  for (const ChartEntry& entry : chart.Entries()) count += entry.parent == static_cast<long>(index);
  return count;
}

bool ReadChart(std::string_view bytes, ChartReader& reader) {
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos) return reader.Fail("output that does not end in CR LF");
    if (!reader.AddLine(bytes.substr(start, end - start))) return false;
    start = end + 2;
  }
  return true;
}

bool ReadChartFile(const std::string& path, ChartReader& reader, std::string& why) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    why = "cannot read " + path;
    return false;
  }
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line.back() != '\r') {
      why = "a line without CR LF";
      return false;
    }
    line.pop_back();
    if (!reader.AddLine(line)) {
      why = reader.Problem();
      return false;
    }
  }
  return true;
}
