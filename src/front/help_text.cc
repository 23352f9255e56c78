// The version banner and the help text (with the extensions' block on request), each printed only
// when its switch is on.
#include "front/help_text.h"

#include <algorithm>
#include <string>

#include "common/app_options.h"
#include "front/fixed_texts.h"
#include "platform/platform.h"

int PrintVersionBanner(Platform& platform, const AppOptions& options) {
  if (!options.ShowVersion) return -1;
  std::string title(kProductTitle);
  title.append("    ").append(kVersionText);
  WriteFixedLine(platform, title);
  platform.WriteLine(platform.ModeText(kNoticeText, kNoticeTextEnglish) + "\r\n");
  WriteFixedLine(platform, "");
  return 0;
}

namespace {

// The Linux mode's help block `english` in the user's language, one line for each of its lines.
void WriteTranslatedLines(Platform& platform, std::string_view english) {
  const std::string text = platform.Translate(english);
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    platform.WriteLine(text.substr(start, end - start) + "\r\n");
    start = end + 1;
  }
}

}  // namespace

int PrintHelp(Platform& platform, const AppOptions& options) {
  if (!options.ShowHelp) return -1;
  if (!platform.IsClassicMode()) {
    WriteTranslatedLines(platform, kHelpText);
    if (!options.ShowExtensionHelp) return 0;
    WriteTranslatedLines(platform, kExtensionHelpText);
    WriteTranslatedLines(platform, kModesHelpText);
    return 0;
  }
  for (std::string_view line : kHelpLines) WriteFixedLine(platform, line);
  if (!options.ShowExtensionHelp) return 0;
  for (std::string_view line : kExtensionHelpLines) WriteFixedLine(platform, line);
  return 0;
}
