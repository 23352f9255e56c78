// The progress line of a long scan on a terminal's standard error.
#include "platform/posix/progress.h"

#include <time.h>
#include <unistd.h>

#include <csignal>

#include "common/chart_text.h"
#include "common/fixed_texts.h"
#include "common/number_text.h"
#include "platform/posix/fd_write.h"
#include "platform/posix/utf8_text.h"

namespace {

constexpr std::string_view kEraseLine = "\r\x1b[K";  // to the line's start, then clear to its end
constexpr std::string_view kGap = "  ";
constexpr std::string_view kEllipsis = "...";
constexpr size_t kDefaultColumns = 80;  // when the terminal does not tell its width
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The descriptor on which a progress line may be on the screen now, or -1: all that a signal
// handler may read. Set before the line's write, so a signal amid it still erases.
volatile sig_atomic_t g_shown_fd = -1;

// False when `fd` is a terminal whose foreground process group is not this process's: a run in
// the background. A terminal that is not the controlling one cannot tell, and counts as
// foreground. Both calls are safe in a signal handler.
bool IsForeground(int fd) {
  const pid_t foreground = tcgetpgrp(fd);
  return foreground == -1 || foreground == getpgrp();
}

// Erases the line with one write(2), then ends the process by the same signal, as it would have
// ended without this handler (the shell sees the signal, not an exit status).
void EraseAndEnd(int signal_number) {
  const int fd = g_shown_fd;
  if (fd >= 0 && IsForeground(fd)) (void)!write(fd, kEraseLine.data(), kEraseLine.size());
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

// The columns of `text`: its bytes in code page 932.
size_t Columns(std::string_view text, bool is_utf8) {
  return is_utf8 ? Utf8DisplayWidth(text) : text.size();
}

// The longest start of `text` that fits `columns` without cutting a character.
std::string_view CutToColumns(std::string_view text, size_t columns, bool is_utf8) {
  const CharacterLengthFunction length = ChartCharacterLength(is_utf8);
  size_t end = 0;
  size_t used = 0;
  while (end < text.size()) {
    const size_t bytes = length(text, end);
    used += Columns(text.substr(end, bytes), is_utf8);
    if (used > columns) break;
    end += bytes;
  }
  return text.substr(0, end);
}

// The shortest end of `text`, starting at a character, that fits `columns`.
std::string_view TailToColumns(std::string_view text, size_t columns, bool is_utf8) {
  const CharacterLengthFunction length = ChartCharacterLength(is_utf8);
  size_t start = 0;
  size_t left = Columns(text, is_utf8);
  while (start < text.size() && left > columns) {
    const size_t bytes = length(text, start);
    left -= Columns(text.substr(start, bytes), is_utf8);
    start += bytes;
  }
  return text.substr(start);
}

}  // namespace

void EraseProgressLineOnSignals() {
  for (int signal_number : kEndingSignals) {
    struct sigaction found {};
    if (sigaction(signal_number, nullptr, &found) != 0 || found.sa_handler == SIG_IGN) continue;
    struct sigaction erase {};
    erase.sa_handler = EraseAndEnd;
    sigemptyset(&erase.sa_mask);
    for (int other : kEndingSignals) sigaddset(&erase.sa_mask, other);  // one erase, one end
    sigaction(signal_number, &erase, nullptr);
  }
}

int64_t MonotonicMilliseconds() {
  struct timespec now {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::string ProgressText(std::string_view folders_label, uint64_t folders,
                         std::string_view files_label, uint64_t files, std::string_view folder,
                         size_t columns, bool is_utf8) {
  std::string text(folders_label);
  AppendNumber(text, folders);
  text += kGap;
  text += files_label;
  AppendNumber(text, files);
  text += kGap;
  const size_t used = Columns(text, is_utf8);
  if (used + Columns(folder, is_utf8) <= columns) return text + std::string(folder);
  if (used + kEllipsis.size() >= columns) {
    return std::string(CutToColumns(text, columns, is_utf8));
  }
  // The end of the path says where the walk is; its beginning is the folder being charted.
  const size_t room = columns - used - kEllipsis.size();
  text += kEllipsis;
  text += TailToColumns(folder, room, is_utf8);
  return text;
}

ProgressLine::ProgressLine(int fd, TextConverter& texts, TerminalConverter* terminal)
    : fd_(fd),
      texts_(texts),
      terminal_(terminal),
      folders_label_(texts.FixedText(kProgressFolders)),
      files_label_(texts.FixedText(kProgressFiles)) {}

void ProgressLine::SetUtf8(bool is_utf8) {
  is_utf8_ = is_utf8;
  folders_label_ = texts_.FixedText(kProgressFolders);
  files_label_ = texts_.FixedText(kProgressFiles);
}

void ProgressLine::Begin(int64_t now_ms) {
  folders_ = 0;
  files_ = 0;
  begin_ms_ = now_ms;
  has_drawn_ = false;
}

bool ProgressLine::NoteFolder(size_t files, int64_t now_ms) {
  ++folders_;
  files_ += files;
  if (now_ms - begin_ms_ <= kQuietMilliseconds) return false;
  return !has_drawn_ || now_ms - drawn_ms_ >= kRedrawMilliseconds;
}

void ProgressLine::Show(std::string_view folder, int64_t now_ms) {
  drawn_ms_ = now_ms;  // in the background too, so the question is asked ten times a second
  has_drawn_ = true;
  if (!IsForeground(fd_)) {
    Forget();
    return;
  }
  // The last column is left free: a terminal that wraps on it would leave a line behind.
  const int width = TerminalColumns(fd_);
  const size_t columns = width > 1 ? static_cast<size_t>(width - 1) : kDefaultColumns - 1;
  const std::string text =
      ProgressText(folders_label_, folders_, files_label_, files_, folder, columns, is_utf8_);
  std::string line(kEraseLine.substr(0, 1));
  line += terminal_ != nullptr && !is_utf8_ ? terminal_->ToUtf8(text) : std::string_view(text);
  line += kEraseLine.substr(1);  // clears what a longer line before it left
  g_shown_fd = fd_;
  is_shown_ = true;
  WriteAllBytes(fd_, line);
}

void ProgressLine::Erase() {
  if (!is_shown_) return;
  if (IsForeground(fd_)) WriteAllBytes(fd_, kEraseLine);
  Forget();
}

void ProgressLine::Forget() {
  is_shown_ = false;
  g_shown_fd = -1;
}
