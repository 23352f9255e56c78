// Standard error as the screen of the progress line, where it is a terminal: its clock, width and
// foreground test, the line's bytes as the terminal shows them, and the signals that take the line
// off the screen before they end the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/posix/locale_charset.h"
#include "platform/posix/terminal.h"

// Erases a progress line that is shown, with one write(2) and nothing else: safe in a signal
// handler and where no memory is left.
void EraseProgressLineAtOnce();

class TerminalScreen : public ProgressScreen {
 public:
  // Draws on `fd`, a terminal. `terminal`, when not null, turns code page 932 lines into UTF-8
  // for a UTF-8 terminal; it must outlive the screen.
  TerminalScreen(int fd, TerminalConverter* terminal) : fd_(fd), terminal_(terminal) {}

  // Lines are UTF-8 from now on (written as they are) or code page 932.
  void SetUtf8Texts(bool is_utf8) { is_utf8_texts_ = is_utf8; }
  // UTF-8 lines are shown in `codeset` from now on, the charset of a locale that is neither
  // UTF-8 nor code page 932, as the chart is.
  void ConvertUtf8LinesTo(const std::string& codeset) {
    locale_ = std::make_unique<ChartCharsetConverter>(codeset);
  }

  int64_t NowMilliseconds() override;
  // A terminal that is not the controlling one cannot tell, and counts as foreground.
  bool IsForeground() override;
  size_t Columns() override;
  void Draw(std::string_view line) override;
  void Erase() override;

 private:
  void Forget();

  const int fd_;
  TerminalConverter* const terminal_;
  std::unique_ptr<ChartCharsetConverter> locale_;  // null: UTF-8 lines are shown as they are
  bool is_utf8_texts_ = false;
  bool is_shown_ = false;
};
