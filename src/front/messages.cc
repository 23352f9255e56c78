// The run's messages: one text for each, written as the mode wants it.
#include "front/messages.h"

#include <initializer_list>
#include <string>

#include "common/fixed_texts.h"
#include "front/fixed_texts.h"
#include "platform/platform.h"

namespace {

// "quovrel: " and the text in the user's language with each "%s" replaced by the next of
// `values`, which are already in the shown encoding (an echoed argument, a path) and so are not
// converted again.
void WriteProgramMessage(Platform& platform, std::string_view utf8,
                         std::initializer_list<std::string_view> values) {
  const std::string text = platform.Translate(utf8);
  std::string line = platform.FromUtf8(kProgramName) + ": ";
  size_t start = 0;
  for (std::string_view value : values) {
    const size_t mark = text.find("%s", start);
    if (mark == std::string::npos) break;
    line.append(text, start, mark - start).append(value);
    start = mark + 2;
  }
  line.append(text, start).append("\r\n");
  platform.WriteErrorLine(line);
}

void WriteRefusal(Platform& platform, std::string_view classic, std::string_view linux_text,
                  std::string_view value) {
  if (platform.IsClassicMode()) {
    WriteFixedLine(platform, classic, value);
    return;
  }
  WriteProgramMessage(platform, linux_text, {value});
  platform.WriteErrorLine(platform.Translate(kTryHelpText) + "\r\n");
}

}  // namespace

void ReportInvalidOption(Platform& platform, std::string_view argument) {
  WriteRefusal(platform, kInvalidOptionMessage, kInvalidOptionText, argument);
}

void ReportMissingTotalFileName(Platform& platform, std::string_view argument) {
  WriteRefusal(platform, kNoOutputFileMessage, kNoOutputFileText, argument);
}

// No hint of --help: the options were right, the folder is what is wrong.
void ReportInvalidFolder(Platform& platform, std::string_view path) {
  if (platform.IsClassicMode()) {
    WriteFixedLine(platform, kInvalidFolderMessage, path);
    return;
  }
  WriteProgramMessage(platform, kInvalidFolderText, {path});
}

void ReportInvalidImport(Platform& platform, std::string_view name, std::string_view what) {
  if (platform.IsClassicMode()) {
    WriteFixedLine(platform, kInvalidImportMessage, std::string(name) + ": " + std::string(what));
    return;
  }
  WriteProgramMessage(platform, kInvalidImportText, {name, what});
}

void WarnUnreadFolder(Platform& platform, std::string_view path, std::string_view reason) {
  if (!platform.IsClassicMode()) WriteProgramMessage(platform, kUnreadFolderText, {path, reason});
}

void WarnUnwrittenTotalFile(Platform& platform, std::string_view name, std::string_view reason) {
  if (!platform.IsClassicMode()) {
    WriteProgramMessage(platform, kUnwrittenTotalFileText, {name, reason});
  }
}

void ReportUnwrittenExport(Platform& platform, std::string_view name, std::string_view reason) {
  if (platform.IsClassicMode()) {
    WriteFixedLine(platform, kUnwrittenExportMessage, name);
    return;
  }
  WriteProgramMessage(platform, kUnwrittenExportText, {name, reason});
}
