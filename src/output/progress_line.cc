// The progress line's text, cut to the screen, and the times it is drawn at.
#include "output/progress_line.h"

#include "common/chart_text.h"
#include "common/fixed_texts.h"
#include "common/number_text.h"

namespace {

constexpr std::string_view kGap = "  ";
constexpr std::string_view kEllipsis = "...";
constexpr size_t kDefaultColumns = 80;  // when the screen does not tell its width

// The columns of `text`: its bytes in code page 932.
size_t Columns(Platform& platform, std::string_view text, bool is_utf8) {
  return is_utf8 ? platform.DisplayWidth(text) : text.size();
}

// The longest start of `text` that fits `columns` without cutting a character.
std::string_view CutToColumns(Platform& platform, std::string_view text, size_t columns,
                              bool is_utf8) {
  const CharacterLengthFunction length = ChartCharacterLength(is_utf8);
  size_t end = 0;
  size_t used = 0;
  while (end < text.size()) {
    const size_t bytes = length(text, end);
    used += Columns(platform, text.substr(end, bytes), is_utf8);
    if (used > columns) break;
    end += bytes;
  }
  return text.substr(0, end);
}

// The shortest end of `text`, starting at a character, that fits `columns`.
std::string_view TailToColumns(Platform& platform, std::string_view text, size_t columns,
                               bool is_utf8) {
  const CharacterLengthFunction length = ChartCharacterLength(is_utf8);
  size_t start = 0;
  size_t left = Columns(platform, text, is_utf8);
  while (start < text.size() && left > columns) {
    const size_t bytes = length(text, start);
    left -= Columns(platform, text.substr(start, bytes), is_utf8);
    start += bytes;
  }
  return text.substr(start);
}

}  // namespace

std::string ProgressText(Platform& platform, std::string_view folders_label, uint64_t folders,
                         std::string_view files_label, uint64_t files, std::string_view folder,
                         size_t columns, bool is_utf8) {
  std::string text(folders_label);
  AppendNumber(text, folders);
  text += kGap;
  text += files_label;
  AppendNumber(text, files);
  text += kGap;
  const size_t used = Columns(platform, text, is_utf8);
  if (used + Columns(platform, folder, is_utf8) <= columns) return text + std::string(folder);
  if (used + kEllipsis.size() >= columns) {
    return std::string(CutToColumns(platform, text, columns, is_utf8));
  }
  // The end of the path says where the walk is; its beginning is the folder being charted.
  const size_t room = columns - used - kEllipsis.size();
  text += kEllipsis;
  text += TailToColumns(platform, folder, room, is_utf8);
  return text;
}

ProgressLine::ProgressLine(Platform& platform, ProgressScreen& screen, bool is_utf8,
                           int64_t begin_ms, int64_t quiet_ms)
    : platform_(platform),
      screen_(screen),
      is_utf8_(is_utf8),
      folders_label_(platform.ModeText(kProgressFolders, kProgressFoldersText)),
      files_label_(platform.ModeText(kProgressFiles, kProgressFilesText)),
      begin_ms_(begin_ms),
      quiet_ms_(quiet_ms) {}

bool ProgressLine::NoteFolder(size_t files, int64_t now_ms) {
  return NoteTotals(folders_ + 1, files_ + files, now_ms);
}

bool ProgressLine::NoteTotals(uint64_t folders, uint64_t files, int64_t now_ms) {
  folders_ = folders;
  files_ = files;
  if (now_ms - begin_ms_ <= quiet_ms_) return false;
  return !has_drawn_ || now_ms - drawn_ms_ >= kRedrawMilliseconds;
}

void ProgressLine::Show(std::string_view folder, int64_t now_ms) {
  drawn_ms_ = now_ms;  // in the background too, so the question is asked ten times a second
  has_drawn_ = true;
  if (!screen_.IsForeground()) {
    screen_.Erase();  // only forgets it there
    return;
  }
  // The last two columns are left free: the cursor stands after the line, and the "^C" a terminal
  // echoes there takes two columns. A line that wrapped, or an echo that did, would leave a line
  // behind that the erase cannot reach.
  const size_t width = screen_.Columns();
  const size_t columns = width > 2 ? width - 2 : kDefaultColumns - 2;
  const std::string_view erase = ProgressScreen::kEraseLine;
  std::string line(erase.substr(0, 1));
  line += ProgressText(platform_, folders_label_, folders_, files_label_, files_, folder, columns,
                       is_utf8_);
  line += erase.substr(1);  // clears what a longer line before it left
  screen_.Draw(line);
}
