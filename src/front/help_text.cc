// The version banner and the help text (with the extensions' block on request), each printed only
// when its switch is on.
#include "front/help_text.h"

#include <string>

#include "common/app_options.h"
#include "front/fixed_texts.h"

int PrintVersionBanner(Platform& platform, const AppOptions& options) {
  if (!options.ShowVersion) return -1;
  std::string title(kProductTitle);
  title.append("    ").append(kVersionText);
  WriteFixedLine(platform, title);
  WriteFixedLine(platform, kNoticeText);
  WriteFixedLine(platform, "");
  return 0;
}

int PrintHelp(Platform& platform, const AppOptions& options) {
  if (!options.ShowHelp) return -1;
  for (std::string_view line : kHelpLines) WriteFixedLine(platform, line);
  if (!options.ShowExtensionHelp) return 0;
  for (std::string_view line : kExtensionHelpLines) WriteFixedLine(platform, line);
  return 0;
}
