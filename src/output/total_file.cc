// The grand total appended to the total file: plain decimal digits and CR LF.
#include "output/total_file.h"

#include <string>

#include "common/app_options.h"
#include "common/number_text.h"
#include "platform/platform.h"

int WriteTotalFile(Platform& platform, const AppOptions& options, const TreeItem& root) {
  if (!options.NeedTotalFile) return 0;
  // Digits only: no grouping, no sign, "0" for an empty tree; the whole sum, however long.
  std::string line;
  AppendDigits(line, root.CumulativeBytes());
  line += "\r\n";
  // A file that cannot be written is skipped; whether that is worth a word is the caller's call.
  platform.AppendTotalFile(options.TotalFileName, line);
  return platform.TotalFileFailure().empty() ? 0 : -1;
}
