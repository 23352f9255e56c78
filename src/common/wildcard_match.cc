// Wildcard matching with one remembered "*": each other pattern element matches exactly one
// character, so going back to the last "*" and letting it take one more character is enough.
#include "common/wildcard_match.h"

#include <cstdint>

namespace {

// A character's bytes read as one big-endian number (at most four bytes count).
uint32_t CharacterCode(std::string_view text, size_t at, size_t length) {
  uint32_t code = 0;
  for (size_t i = 0; i < length && i < 4; ++i) {
    code = (code << 8) | static_cast<unsigned char>(text[at + i]);
  }
  return code;
}

// A bracket expression that opens at pattern[open]: where it ends and whether `code` is in it.
struct BracketResult {
  bool closed = false;  // false: no closing "]", so the "[" is an ordinary character
  bool matches = false;
  size_t end = 0;  // just after the closing "]"
};

BracketResult MatchBracket(std::string_view pattern, size_t open, uint32_t code,
                           CharacterLengthFunction length) {
  BracketResult result;
  size_t at = open + 1;
  const bool negated = at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^');
  if (negated) ++at;
  bool in_set = false;
  for (bool first = true; at < pattern.size(); first = false) {
    if (pattern[at] == ']' && !first) {
      result.closed = true;
      result.matches = in_set != negated;
      result.end = at + 1;
      return result;
    }
    const size_t low_length = length(pattern, at);
    const uint32_t low = CharacterCode(pattern, at, low_length);
    at += low_length;
    // A "-" between two members makes a range; before the closing "]" it is a member itself.
    if (at + 1 < pattern.size() && pattern[at] == '-' && pattern[at + 1] != ']') {
      const size_t high_length = length(pattern, at + 1);
      const uint32_t high = CharacterCode(pattern, at + 1, high_length);
      at += 1 + high_length;
      if (low <= code && code <= high) in_set = true;
    } else if (code == low) {
      in_set = true;
    }
  }
  return result;
}

// Whether the pattern element at pattern[at] (not a "*") takes the character name[name_at] of
// `name_length` bytes; `next` is then the element after it.
bool MatchElement(std::string_view pattern, size_t at, std::string_view name, size_t name_at,
                  size_t name_length, CharacterLengthFunction length, size_t& next) {
  if (pattern[at] == '?') {
    next = at + 1;
    return true;
  }
  if (pattern[at] == '[') {
    const BracketResult bracket =
        MatchBracket(pattern, at, CharacterCode(name, name_at, name_length), length);
    if (bracket.closed) {
      next = bracket.end;
      return bracket.matches;
    }
  }
  const size_t pattern_length = length(pattern, at);
  next = at + pattern_length;
  return pattern.substr(at, pattern_length) == name.substr(name_at, name_length);
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name,
                     CharacterLengthFunction length) {
  size_t at = 0;
  size_t name_at = 0;
  // After the last "*" seen: the pattern element that follows it, and where in the name the
  // characters it has taken end.
  size_t star_next = std::string_view::npos;
  size_t star_name_at = 0;
  while (name_at < name.size()) {
    if (at < pattern.size() && pattern[at] == '*') {
      star_next = ++at;
      star_name_at = name_at;
      continue;
    }
    const size_t name_length = length(name, name_at);
    size_t next = 0;
    if (at < pattern.size() &&
        MatchElement(pattern, at, name, name_at, name_length, length, next)) {
      at = next;
      name_at += name_length;
      continue;
    }
    if (star_next == std::string_view::npos) return false;
    star_name_at += length(name, star_name_at);  // the "*" takes one more character
    name_at = star_name_at;
    at = star_next;
  }
  while (at < pattern.size() && pattern[at] == '*') ++at;
  return at == pattern.size();
}
