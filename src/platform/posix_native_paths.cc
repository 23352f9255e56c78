// The book of native origins of converted texts.
#include "platform/posix_native_paths.h"

std::string NativePathBook::Import(std::string_view native) {
  std::string shown = converter_.DisplayName(native);
  // Kept even when nothing changed: a name that is not UTF-8 must not be converted on its way back.
  origins_.insert_or_assign(shown, std::string(native));
  return shown;
}

std::string NativePathBook::NativePath(std::string_view cp932) {
  auto found = origins_.find(cp932);
  if (found != origins_.end()) return found->second;
  return converter_.NativeFromCp932(cp932);
}
