// Reading a saved scan's bytes in blocks, the texts' bytes that are no UTF-8 replaced.
#include "tree/scan_input.h"

namespace {

constexpr size_t kBlockBytes = 1 << 16;
constexpr size_t kUnfinished = SIZE_MAX;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the UTF-8 character at `at` (not ASCII), 0 when it is none, kUnfinished when
// `bytes` ends before it could.
size_t CharacterLength(std::string_view bytes, size_t at) {
  const unsigned char lead = static_cast<unsigned char>(bytes[at]);
  size_t length = 4;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead == 0xF0) {
    low = 0x90;
  } else if (lead == 0xF4) {
    high = 0x8F;
  } else if (lead < 0xF1 || lead > 0xF3) {
    return 0;
  }
  for (size_t k = 1; k < length; ++k) {
    if (at + k >= bytes.size()) return kUnfinished;
    const unsigned char byte = static_cast<unsigned char>(bytes[at + k]);
    if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

}  // namespace

ScanInput::ScanInput(std::FILE* file, std::string_view text) : file_(file), text_(text) {
  if (file_ != nullptr) buffer_.resize(kBlockBytes);
}

bool ScanInput::Refill() {
  converted_.clear();
  position_ = 0;
  // A block of nothing but a cut-off character converts to nothing: read on.
  while (converted_.empty()) {
    if (file_ == nullptr) {
      if (text_.empty() && carry_.empty()) break;
      Convert(text_, true);
      text_ = {};
      continue;
    }
    const size_t length = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (length == 0 && carry_.empty()) break;
    Convert(std::string_view(buffer_.data(), length), length == 0);
  }
  block_ = converted_;
  return !block_.empty();
}

// Outside texts every byte passes: one that is no JSON is the reader's to refuse.
void ScanInput::Convert(std::string_view raw, bool is_last) {
  std::string joined;
  if (!carry_.empty()) {
    joined = carry_ + std::string(raw);
    raw = joined;
    carry_.clear();
  }
  for (size_t at = 0; at < raw.size(); ++at) {
    const char byte = raw[at];
    const bool is_plain =
        !is_in_text_ || is_after_backslash_ || static_cast<unsigned char>(byte) < 0x80;
    if (is_plain) {
      if (is_in_text_ && !is_after_backslash_ && byte == '"')
        is_in_text_ = false;
      else if (!is_in_text_ && byte == '"')
        is_in_text_ = true;
      is_after_backslash_ = is_in_text_ && !is_after_backslash_ && byte == '\\';
      converted_ += byte;
      continue;
    }
    const size_t length = CharacterLength(raw, at);
    if (length == kUnfinished && !is_last) {
      carry_ = raw.substr(at);
      return;
    }
    if (length == 0 || length == kUnfinished) {
      converted_ += kReplacement;
      continue;
    }
    converted_.append(raw.substr(at, length));
    at += length - 1;
  }
}
