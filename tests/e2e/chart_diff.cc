// A readable account of where one chart first departs from another: the first differing lines
// with a little context, as UTF-8.
#include "chart_diff.h"

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr size_t kContext = 3;
// The first run of differing lines is sought among this many lines from the first difference:
// enough for any run a reader takes in, and the alignment costs its square.
constexpr size_t kWindow = 400;

std::string Escaped(unsigned char byte) {
  char text[5];
  std::snprintf(text, sizeof text, "\\x%02X", byte);
  return text;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (size_t at = 0;;) {
    const size_t end = std::min(text.find("\r\n", at), text.size());
    lines.push_back(text.substr(at, end - at));
    if (end == text.size()) return lines;
    at = end + 2;
  }
}

// One line of the account: a mark, the line's number in each text (blank where it has none).
void AppendLine(char mark, size_t expected_number, size_t actual_number, std::string_view line,
                std::string& out) {
  char numbers[32];
  auto number = [](size_t n) { return n ? std::to_string(n) : std::string(); };
  std::snprintf(numbers, sizeof numbers, "%c %6s %6s  ", mark, number(expected_number).c_str(),
                number(actual_number).c_str());
  out.append(numbers).append(ReadableText(line)).append("\n");
}

// Converts the character that begins `bytes`, one byte or a lead byte and the next, and appends
// it to `out`; returns its length, 0 when it is no code page 932 character.
size_t AppendCharacter(iconv_t converter, std::string_view bytes, std::string& out) {
  if (converter == reinterpret_cast<iconv_t>(-1)) return 0;
  for (size_t length = 1; length <= 2 && length <= bytes.size(); ++length) {
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = length;
    char utf8[8];
    char* utf8_end = utf8;
    size_t room = sizeof utf8;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &in_left, &utf8_end, &room) != static_cast<size_t>(-1)) {
      out.append(utf8, utf8_end);
      return length;
    }
  }
  return 0;
}

}  // namespace

std::string ReadableText(std::string_view bytes) {
  static const iconv_t converter = iconv_open("UTF-8", "CP932");
  std::string out;
  size_t at = 0;
  while (at < bytes.size()) {
    const unsigned char byte = static_cast<unsigned char>(bytes[at]);
    const bool is_control = byte < 0x20 || byte == 0x7F;
    const size_t length = is_control ? 0 : AppendCharacter(converter, bytes.substr(at), out);
    if (length == 0) out += Escaped(byte);  // a control character, or a byte that is none
    at += length == 0 ? 1 : length;
  }
  return out;
}

std::string FirstDifference(std::string_view expected, std::string_view actual) {
  if (expected == actual) return "";
  const std::vector<std::string_view> a = SplitLines(expected);
  const std::vector<std::string_view> b = SplitLines(actual);
  size_t first = 0;
  while (first < a.size() && first < b.size() && a[first] == b[first]) ++first;
  // Aligns the next lines of both by their longest common subsequence, which tells a line put in
  // or left out from a line changed.
  const size_t n = std::min(a.size() - first, kWindow);
  const size_t m = std::min(b.size() - first, kWindow);
  std::vector<std::vector<uint16_t>> common(n + 1, std::vector<uint16_t>(m + 1, 0));
  for (size_t i = n; i-- > 0;) {
    for (size_t j = m; j-- > 0;) {
      common[i][j] = a[first + i] == b[first + j] ? common[i + 1][j + 1] + 1
                                                  : std::max(common[i + 1][j], common[i][j + 1]);
    }
  }
  std::string out = "expected " + std::to_string(a.size()) + " lines, got " +
                    std::to_string(b.size()) + "; first difference at line " +
                    std::to_string(first + 1) + " (- expected, + actual):\n";
  for (size_t k = first > kContext ? first - kContext : 0; k < first; ++k) {
    AppendLine(' ', k + 1, k + 1, a[k], out);
  }
  size_t i = 0;
  size_t j = 0;
  size_t equal_run = 0;
  while ((i < n || j < m) && equal_run < kContext) {
    if (i < n && j < m && a[first + i] == b[first + j]) {
      AppendLine(' ', first + i + 1, first + j + 1, a[first + i], out);
      ++i;
      ++j;
      ++equal_run;
    } else if (j == m || (i < n && common[i + 1][j] >= common[i][j + 1])) {
      AppendLine('-', first + i + 1, 0, a[first + i], out);
      ++i;
      equal_run = 0;
    } else {
      AppendLine('+', 0, first + j + 1, b[first + j], out);
      ++j;
      equal_run = 0;
    }
  }
  return out;
}
