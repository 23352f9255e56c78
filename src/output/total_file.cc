// The grand total appended to the total file: plain decimal digits and CR LF.
#include "output/total_file.h"

#include <charconv>
#include <string_view>

#include "common/app_options.h"
#include "platform/platform.h"

void WriteTotalFile(Platform& platform, const AppOptions& options, const TreeItem& root) {
  if (!options.NeedTotalFile) return;
  // Digits only: no grouping, no sign, "0" for an empty tree. Twenty digits hold any 64-bit
  // value.
  char line[22];
  char* end = std::to_chars(line, line + 20, root.TotalBytes).ptr;
  *end++ = '\r';
  *end++ = '\n';
  // A file that cannot be opened is skipped without a word; the platform stays silent.
  platform.AppendTotalFile(options.TotalFileName, std::string_view(line, end - line));
}
