// The run's messages in either mode: the classic mode's on standard output, in the classic texts;
// the Linux mode's on standard error, in the style of the GNU tools.
#pragma once

#include <string_view>

class Platform;

// An option the parser refuses, or a value an option refuses. The Linux mode adds the hint of
// --help.
void ReportInvalidOption(Platform& platform, std::string_view argument);
// A total-file option without a file name.
void ReportMissingTotalFileName(Platform& platform, std::string_view argument);
// A folder to chart that is no folder.
void ReportInvalidFolder(Platform& platform, std::string_view path);

// A saved scan that cannot be opened or is no saved scan; `what` says why and where, in English
// in both modes (the reader's words, as the system's reasons are).
void ReportInvalidImport(Platform& platform, std::string_view name, std::string_view what);

// A difficulty that the run goes on after: a folder that could not be read, a total file that
// could not be written; `reason` in the system's words. Written in the Linux mode only: the
// classic mode is silent about them, as the classic program is.
void WarnUnreadFolder(Platform& platform, std::string_view path, std::string_view reason);
void WarnUnwrittenTotalFile(Platform& platform, std::string_view name, std::string_view reason);
// An export file that could not be made or written whole. Told in both modes: the export is no
// part of the classic program, whose silence it need not keep.
void ReportUnwrittenExport(Platform& platform, std::string_view name, std::string_view reason);
