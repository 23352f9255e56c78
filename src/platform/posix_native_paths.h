// Remembers the native bytes behind every text that came from the OS, so that a path can be handed
// back exactly as it was, even when its shown form holds "?" for characters code page 932 lacks.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/posix_text.h"

class NativePathBook {
 public:
  explicit NativePathBook(TextConverter& converter) : converter_(converter) {}

  // The code page 932 form of `native`, remembered so that NativePath gives `native` back. When
  // two native texts share one shown form, the later one wins, as a later argument does.
  std::string Import(std::string_view native);

  // The native bytes for a code page 932 path: the remembered origin, else its UTF-8 form.
  std::string NativePath(std::string_view cp932);

 private:
  TextConverter& converter_;
  std::map<std::string, std::string, std::less<>> origins_;
};
