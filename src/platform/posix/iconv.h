// One conversion of the C library's iconv, the one way the POSIX platform turns text from one
// charset into another: it never uses a table of its own.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <span>
#include <string_view>

// Opened once for the life of its owner: opening a converter costs far more than a conversion,
// and a walk converts many names.
class Iconv {
 public:
  // What stands for a sequence at the start of `rest` that iconv refused (a character the
  // target charset lacks, or bytes the source charset does not read): `skipped` bytes of the
  // input become `marks` question marks (or `marks` of another ASCII `mark`). No bytes skipped:
  // the conversion fails there.
  struct Replacement {
    size_t skipped = 0;
    size_t marks = 0;
    char mark = '?';
  };
  using ReplacementRule = Replacement (*)(std::string_view rest);

  // Names as iconv_open takes them ("CP932", "UTF-8"). When the converter cannot be opened the
  // run ends there, as when memory runs out (memory_end.h).
  Iconv(const char* to_charset, const char* from_charset);
  ~Iconv();
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // False only for a converter that was never opened.
  bool IsOpen() const;

  // Converts `in` into `out`, each refused sequence replaced as `rule` says. Sets `length` to the
  // bytes written. False when `out` is too small, `rule` gives up, or iconv fails otherwise (the
  // bytes written up to there stand).
  bool Convert(std::string_view in, std::span<char> out, ReplacementRule rule, size_t& length);

  // How many bytes at the start of `text` are characters of the source charset: the length up to
  // the first byte iconv refuses, or all of it.
  size_t ReadableLength(std::string_view text);

 private:
  iconv_t converter_;
};
