// Standard output, standard error and the total file on POSIX: whole lines at once, never blocking
// or failing a run; on a terminal, shown as the terminal can read them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/posix/locale_charset.h"
#include "platform/posix/progress_screen.h"
#include "platform/posix/terminal.h"

// Makes a closed pipe and a file-size limit (SIGXFSZ) write errors instead of the end of the
// process: the run goes on, the total file is still written (or cut back) and the exit status
// stays as it was.
void IgnoreWriteSignals();

// Appends `line` to the file `native_name`, creating it; a FIFO without a reader refuses at once
// instead of hanging the run. The line arrives whole or not at all: a part that a full disk cut
// short is taken off the file again. Returns 0, or the errno of the failure.
int AppendLineToFile(const std::string& native_name, std::string_view line);

// Standard output and error as the run found them. A pipe or a file gets the code page 932 bytes
// unchanged (a file or a device that is no terminal in blocks of whole lines, GatherLine); a
// terminal whose locale is UTF-8 gets each line in UTF-8. A UTF-8 chart is written as it is
// everywhere, its lines ending with LF alone. Standard error carries the progress line, and only
// when it is a terminal.
class Console {
 public:
  Console();
  ~Console();  // a progress line still shown is erased
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Writes one whole line, its CR LF included, to standard output with one write (or gathered
  // for a file), after the progress line is taken off the screen.
  void WriteLine(std::string_view line);
  // A line that finds standard output closed (EPIPE) ends the run from now on: the progress line
  // erased, then the process ended by SIGPIPE, as a pipeline expects of its writers.
  void EndRunWhenOutputCloses() { is_ended_by_closed_output_ = true; }
  // The same for standard error.
  void WriteErrorLine(std::string_view line);

  // The screen of the progress line; null when standard error is no terminal.
  ProgressScreen* Progress() { return progress_.get(); }

  // True when standard output is a terminal whose locale is UTF-8: the chart's default there.
  bool IsOutputUtf8Terminal() const { return is_output_utf8_terminal_; }
  // Lines from now on are UTF-8 (written as they are, CR LF made LF) or code page 932.
  void SetUtf8Texts(bool is_utf8);
  // From now on UTF-8 lines are written in `codeset` (ChartCharsetConverter), the charset of a
  // locale that is neither UTF-8 nor code page 932.
  void ConvertUtf8LinesTo(const std::string& codeset);

 private:
  // Sets the line written when memory runs out, as standard error shows it now.
  void SetOutOfMemoryErrorLine();
  // `line` as this console writes it: converted for a UTF-8 terminal when `converted`, or with
  // LF alone in a UTF-8 chart (and in the locale's charset where ConvertUtf8LinesTo set one).
  std::string_view Shown(std::string_view line, bool converted);

  bool is_output_utf8_terminal_ = false;
  bool is_utf8_texts_ = false;
  std::string buffer_;                             // a UTF-8 line without its CR
  std::unique_ptr<ChartCharsetConverter> locale_;  // null: UTF-8 lines are written as they are
  std::unique_ptr<TerminalConverter> terminal_;    // null unless a terminal takes UTF-8
  bool is_output_converted_ = false;
  bool is_output_gathered_ = false;  // a file or a device: lines are written in blocks
  bool is_ended_by_closed_output_ = false;
  bool is_error_converted_ = false;
  std::unique_ptr<TerminalScreen> progress_;
};
