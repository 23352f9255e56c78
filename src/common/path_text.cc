// Parting a text at its first "=" in both its forms.
#include "common/path_text.h"

#include <algorithm>

namespace {

// The byte offset of the first unit of `text`'s native form that is "=", or the native form's
// size when none is.
size_t FindNativeEquals(const PathText& text) {
  const std::string& native = text.Native;
  const size_t unit = text.NativeUnitBytes;
  for (size_t at = 0; at + unit <= native.size(); at += unit) {
    if (native[at] == '=' && (unit == 1 || native[at + 1] == '\0')) return at;
  }
  return native.size();
}

PathText MakePart(const PathText& whole, std::string_view shown, std::string_view native) {
  const bool has_lost = whole.HasLostCharacters && shown.find('?') != std::string_view::npos;
  return {std::string(shown), std::string(native), has_lost, whole.NativeUnitBytes};
}

}  // namespace

EqualsSplit SplitAtFirstEquals(const PathText& text) {
  const std::string_view shown = text.Shown;
  const std::string_view native = text.Native;
  const size_t shown_at = std::min(shown.find('='), shown.size());
  const size_t native_at = FindNativeEquals(text);
  const size_t native_after = std::min(native_at + text.NativeUnitBytes, native.size());
  return {MakePart(text, shown.substr(0, shown_at), native.substr(0, native_at)),
          MakePart(text, shown.substr(std::min(shown_at + 1, shown.size())),
                   native.substr(native_after))};
}
