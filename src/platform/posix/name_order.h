// The order in which a folder's entries are enumerated, fixed like an NTFS volume's so that a chart
// without a sort option is the same on every run and every file system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The byte compared first: ASCII "a" to "z" upper-cased, every other byte as it is.
inline unsigned char NameOrderByte(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

// The first eight order bytes of `name`, the first one highest, zeros past its end. Where the
// prefixes of two names differ they order the names as NativeNameLess does (no name holds a
// zero byte, so a name that ends first is the lesser), so a sort compares whole names only
// when their first eight bytes are alike.
inline uint64_t NameOrderPrefix(std::string_view name) {
  uint64_t prefix = 0;
  for (size_t i = 0; i < 8; ++i) {
    prefix = (prefix << 8) | (i < name.size() ? NameOrderByte(name[i]) : 0u);
  }
  return prefix;
}

// True when native name `a` is enumerated before `b`: by the bytes with ASCII letters
// upper-cased, a name before its own extensions; names equal that way by their raw bytes, so
// "A" comes before "a" and the order is total.
inline bool NativeNameLess(std::string_view a, std::string_view b) {
  const size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    if (a[i] == b[i]) continue;  // the common case: equal bytes need no folding
    const unsigned char x = NameOrderByte(a[i]);
    const unsigned char y = NameOrderByte(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // std::string_view compares bytes as unsigned char
}
