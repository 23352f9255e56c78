// The bytes of a saved scan as the JSON reader takes them: read in blocks, with every byte of a
// text that is no UTF-8 turned into U+FFFD, since a saved scan keeps a Linux name's own bytes
// and JSON takes UTF-8 alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

class ScanInput {
 public:
  // Reads `file` to its end or, when it is null, `text`.
  ScanInput(std::FILE* file, std::string_view text);

  bool IsAtEnd() { return position_ == block_.size() && !Refill(); }
  char Current() const { return block_[position_]; }
  void Advance() {
    ++position_;
    ++offset_;
  }
  // The bytes handed on so far, each U+FFFD that stands for a byte counting three.
  uint64_t Offset() const { return offset_; }
  bool HasReadFailed() const { return file_ != nullptr && std::ferror(file_) != 0; }

 private:
  bool Refill();
  // Appends `raw` (after the sequence left over from the block before) to block_, turned into
  // UTF-8; an unfinished sequence at its end waits for the next block unless `is_last`.
  void Convert(std::string_view raw, bool is_last);

  std::FILE* file_;
  std::string_view text_;
  std::vector<char> buffer_;
  std::string converted_;
  std::string carry_;  // the start of a character that the last block cut off
  bool is_in_text_ = false;
  bool is_after_backslash_ = false;
  std::string_view block_;
  size_t position_ = 0;
  uint64_t offset_ = 0;
};

// An input iterator over a ScanInput, which is how the JSON reader takes its input.
struct ScanInputIterator {
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  ScanInput* input = nullptr;  // null: the end

  char operator*() const { return input->Current(); }
  ScanInputIterator& operator++() {
    input->Advance();
    return *this;
  }
  bool operator==(const ScanInputIterator& other) const { return IsEnd() == other.IsEnd(); }
  bool operator!=(const ScanInputIterator& other) const { return !(*this == other); }
  bool IsEnd() const { return input == nullptr || input->IsAtEnd(); }
};
