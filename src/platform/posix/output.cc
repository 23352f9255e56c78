// Line output to standard output (as a terminal can read it) and to the append-mode total file.
#include "platform/posix/output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "common/fixed_texts.h"
#include "platform/posix/ending_signals.h"
#include "platform/posix/fd_write.h"
#include "platform/posix/gathered_output.h"
#include "platform/posix/memory_end.h"

void IgnoreWriteSignals() {
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
}

namespace {

// Takes the `written` bytes of a line that came out short off the end of the file again: a
// fragment left by a full disk would run into the next run's line and make one wrong number of
// both. The append put the fragment at the end, so the file position stands just after it. A
// pipe or a device has no position: lseek fails there and nothing is cut.
void CutOffFragment(int fd, size_t written) {
  const off_t end = lseek(fd, 0, SEEK_CUR);
  const off_t start = end - static_cast<off_t>(written);
  if (end >= 0 && start >= 0) (void)!ftruncate(fd, start);
}

}  // namespace

int AppendLineToFile(const std::string& native_name, std::string_view line) {
  if (native_name.empty()) return ENOENT;
  WriteGatheredLines();  // the chart comes first, should the total file be standard output's
  // O_NONBLOCK: opening a FIFO that has no reader fails at once (ENXIO) instead of waiting.
  const int fd = open(native_name.c_str(),
                      O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return errno;  // a total file that cannot be opened is not written
  errno = 0;
  const size_t written = WriteAllBytes(fd, line);
  const int failure = written < line.size() ? (errno != 0 ? errno : EIO) : 0;
  if (written > 0 && written < line.size()) CutOffFragment(fd, written);
  close(fd);
  return failure;
}

Console::Console() {
  const bool is_output_terminal = isatty(STDOUT_FILENO) == 1;
  const bool is_error_terminal = isatty(STDERR_FILENO) == 1;
  // The locale is not even looked at when neither stream is a terminal: a pipe or a file must
  // get the same bytes whatever the environment says.
  const bool is_utf8_locale = (is_output_terminal || is_error_terminal) && IsUtf8Locale();
  is_output_utf8_terminal_ = is_output_terminal && is_utf8_locale;
  if (is_utf8_locale) {
    terminal_ = std::make_unique<TerminalConverter>();
    if (!terminal_->IsReady()) terminal_.reset();
  }
  is_output_converted_ = is_output_terminal && terminal_ != nullptr;
  is_error_converted_ = is_error_terminal && terminal_ != nullptr;
  if (is_error_terminal) {
    progress_ = std::make_unique<TerminalScreen>(STDERR_FILENO, terminal_.get());
    HandleEndingSignals();
  }
  is_output_gathered_ = !is_output_terminal && IsGatheredOutput(STDOUT_FILENO);
  if (is_output_gathered_) GatherOutputOf(STDOUT_FILENO);
  SetOutOfMemoryErrorLine();
}

Console::~Console() {
  WriteGatheredLines();
  if (progress_) progress_->Erase();
}

void Console::SetUtf8Texts(bool is_utf8) {
  is_utf8_texts_ = is_utf8;
  if (progress_) progress_->SetUtf8Texts(is_utf8);
  SetOutOfMemoryErrorLine();
}

void Console::SetOutOfMemoryErrorLine() {
  if (is_utf8_texts_) {
    SetOutOfMemoryLine(kOutOfMemoryMessage, "\n");
  } else if (is_error_converted_) {
    SetOutOfMemoryLine(kOutOfMemoryMessage, "\r\n");  // what the terminal's converter makes
  } else {
    SetOutOfMemoryLine(kOutOfMemoryMessageCp932, "\r\n");
  }
}

void Console::ConvertUtf8LinesTo(const std::string& codeset) {
  locale_ = std::make_unique<ChartCharsetConverter>(codeset);
  if (progress_) progress_->ConvertUtf8LinesTo(codeset);
}

std::string_view Console::Shown(std::string_view line, bool converted) {
  if (!is_utf8_texts_) return converted ? terminal_->ToUtf8(line) : line;
  std::string_view shown = line;
  if (line.ends_with("\r\n")) {
    buffer_.assign(line.substr(0, line.size() - 2));
    buffer_ += '\n';
    shown = buffer_;
  }
  return locale_ ? locale_->FromUtf8(shown) : shown;
}

void Console::WriteLine(std::string_view line) {
  if (progress_) progress_->Erase();
  // The usual chart into a file: the line is gathered with its end made "\n" on the way, where
  // Shown would copy it once more.
  if (is_output_gathered_ && is_utf8_texts_ && !locale_ && line.ends_with("\r\n")) {
    GatherLine(line.substr(0, line.size() - 2), "\n");
    return;
  }
  const std::string_view shown = Shown(line, is_output_converted_);
  if (is_output_gathered_) {
    GatherLine(shown);
    return;
  }
  errno = 0;
  if (WriteAllBytes(STDOUT_FILENO, shown) < shown.size() && errno == EPIPE &&
      is_ended_by_closed_output_) {
    signal(SIGPIPE, SIG_DFL);
    raise(SIGPIPE);
  }
}

void Console::WriteErrorLine(std::string_view line) {
  WriteGatheredLines();  // in its place among the chart's lines, where both go to one file
  if (progress_) progress_->Erase();
  WriteAllBytes(STDERR_FILENO, Shown(line, is_error_converted_));
}
