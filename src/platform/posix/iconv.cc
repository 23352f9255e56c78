// The C library's iconv behind one small class.
#include "platform/posix/iconv.h"

#include <cerrno>
#include <cstring>

#include "platform/posix/memory_end.h"

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr size_t kFailed = static_cast<size_t>(-1);

}  // namespace

Iconv::Iconv(const char* to_charset, const char* from_charset)
    : converter_(iconv_open(to_charset, from_charset)) {
  // Mostly memory (the C library loads its converters on demand), and a text converted without
  // a converter would be wrong without a word: the run ends as when memory runs out.
  if (!IsOpen()) EndForWantOfMemory();
}

Iconv::~Iconv() {
  if (IsOpen()) iconv_close(converter_);
}

bool Iconv::IsOpen() const { return converter_ != kNoConverter; }

bool Iconv::Convert(std::string_view in, std::span<char> out, ReplacementRule rule,
                    size_t& length) {
  length = 0;
  if (!IsOpen()) return false;
  iconv(converter_, nullptr, nullptr, nullptr, nullptr);  // a fresh start, whatever came before
  char* next_in = const_cast<char*>(in.data());           // iconv reads it, never writes
  size_t in_left = in.size();
  char* next_out = out.data();
  size_t out_left = out.size();
  bool is_whole = true;
  while (in_left > 0) {
    if (iconv(converter_, &next_in, &in_left, &next_out, &out_left) != kFailed) break;
    const bool is_refused = errno == EILSEQ || errno == EINVAL;
    const Replacement replacement =
        is_refused ? rule(std::string_view(next_in, in_left)) : Replacement{};
    if (replacement.skipped == 0 || replacement.skipped > in_left || replacement.marks > out_left) {
      is_whole = false;
      break;
    }
    std::memset(next_out, replacement.mark, replacement.marks);
    next_out += replacement.marks;
    out_left -= replacement.marks;
    next_in += replacement.skipped;
    in_left -= replacement.skipped;
  }
  length = static_cast<size_t>(next_out - out.data());
  return is_whole;
}

size_t Iconv::ReadableLength(std::string_view text) {
  if (!IsOpen()) return 0;
  iconv(converter_, nullptr, nullptr, nullptr, nullptr);
  char* next = const_cast<char*>(text.data());
  size_t left = text.size();
  while (left > 0) {
    // The converted form is only a test of the input: it goes to a scratch buffer, filled anew
    // each time it is full.
    char scratch[256];
    char* sink = scratch;
    size_t sink_left = sizeof scratch;
    if (iconv(converter_, &next, &left, &sink, &sink_left) != kFailed || errno != E2BIG) break;
  }
  return text.size() - left;
}
