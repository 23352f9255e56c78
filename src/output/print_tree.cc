// Draws the finished tree on standard output: pre-order, one line per shown entry, down to the
// depth shown.
#include "output/print_tree.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The Windows program's C++ library (mingw-w64's win32 threads) has no std::thread: it draws on
// one thread.
#if defined(_WIN32)
#define QUOVREL_DRAWS_BESIDE_WRITING 0
#else
#define QUOVREL_DRAWS_BESIDE_WRITING 1
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#endif

#include "common/app_options.h"
#include "common/fixed_texts.h"
#include "common/number_text.h"
#include "output/default_name_colors.h"
#include "output/name_colors.h"
#include "output/time_text.h"
#include "platform/platform.h"

// Everything a line needs that stays the same for the whole run, fetched once.
struct LineTexts {
  const AppOptions* Options;
  std::string Open;       // "（"
  std::string Files;      // " ファイル "
  std::string OneFile;    // the same after a count of 1 (" file " in English)
  std::string Bytes;      // " バイト"
  std::string OneByte;    // the same after a sum of 1 (" byte" in English)
  std::string Between;    // "、"
  std::string TotalHead;  // "累計 "
  std::string Close;      // "）"
  TimeSeparators Separators;
  NameColors Colors;  // read only where names are coloured
};

namespace {

constexpr std::string_view kBlankSegment = "    ";

// Asks for the memory at `address` ahead of its use; nothing where the compiler cannot.
inline void Prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address);
#else
  (void)address;
#endif
}

// The user's colours, else the build's default ones; none at all where the user's cannot be
// read, as ls does.
NameColors ReadUserNameColors(Platform& platform) {
  std::string text = platform.ReadEnvironment("LS_COLORS");
  if (text.empty()) text = kDefaultNameColors;
  NameColors colors;
  if (ReadNameColors(text, colors) != 0) colors = NameColors{};
  return colors;
}

LineTexts MakeLineTexts(Platform& platform, const AppOptions& options) {
  LineTexts texts;
  texts.Options = &options;
  texts.Open = platform.ModeText(kSummaryOpen, kSummaryOpenText);
  texts.Files = platform.ModeText(kSummaryFiles, kSummaryFilesText);
  texts.OneFile = platform.ModeText(kSummaryFiles, kSummaryOneFileText);
  texts.Bytes = platform.ModeText(kSummaryBytes, kSummaryBytesText);
  texts.OneByte = platform.ModeText(kSummaryBytes, kSummaryOneByteText);
  texts.Between = platform.ModeText(kSummaryBetween, kSummaryBetweenText);
  texts.TotalHead = platform.ModeText(kSummaryTotal, kSummaryTotalText);
  texts.Close = platform.ModeText(kSummaryClose, kSummaryCloseText);
  // Only a chart with times reads the locale: loading it costs a run memory and time.
  if (options.NeedTimeTexts) texts.Separators = ReadTimeSeparators(platform);
  if (options.ShowColor) texts.Colors = ReadUserNameColors(platform);
  return texts;
}

// The counts stay whole numbers; the bytes are in units of 1,024 where asked for.
void AppendCountAndBytes(const LineTexts& texts, uint32_t count, ByteSum bytes, std::string& line) {
  AppendNumber(line, count);
  line += count == 1 ? texts.OneFile : texts.Files;
  if (texts.Options->ShowHumanSizes) {
    AppendHumanSize(line, bytes);
  } else {
    AppendByteSum(line, bytes);
  }
  line += bytes == 1 && !texts.Options->ShowHumanSizes ? texts.OneByte : texts.Bytes;
}

void AppendFolderSummary(const LineTexts& texts, const TreeItem& folder, std::string& line) {
  const AppOptions& options = *texts.Options;
  line += texts.Open;
  if (options.ShowSum) AppendCountAndBytes(texts, folder.FileCount, folder.OwnBytes(), line);
  if (options.ShowSum && options.ShowTotal) line += texts.Between;
  if (options.ShowTotal) {
    line += texts.TotalHead;
    AppendCountAndBytes(texts, folder.TotalFiles, folder.CumulativeBytes(), line);
  }
  line += texts.Close;
}

// Names are coloured alone: the connectors, fill blanks and columns keep their bytes, and
// every width stays that of the name's own text.
void AppendName(const LineTexts& texts, const TreeItem& item, std::string& line) {
  if (!texts.Options->ShowColor) {
    line += item.Name();
    return;
  }
  AppendColoredName(texts.Colors, static_cast<EntryKind>(item.Kind), item.IsFolder, item.Name(),
                    line);
}

// A file's name in its folder's name column (filled only while a size or a time follows,
// so a line never ends in fill blanks), then the size column and the time text. The fill and
// the size column's width are those SetColumnWidths gave the file.
void AppendFileDetails(Platform& platform, const LineTexts& texts, const TreeItem& file,
                       std::string& line) {
  const AppOptions& options = *texts.Options;
  AppendName(texts, file, line);
  if (!options.NeedItemDetails) return;
  line.append(file.NameFill, ' ');
  if (options.ShowSize && options.ShowHumanSizes) {
    line += ' ';
    AppendHumanSizeRight(line, file.Size, file.SizeColumnWidth);
  } else if (options.ShowSize) {
    line += ' ';
    AppendNumberRight(line, file.Size, file.SizeColumnWidth);
  }
  if (options.NeedTimeTexts) {
    line += ' ';
    // A saved scan's times are from 1970 on, so a time of 0 there is one the file lacks.
    const bool has_no_time =
        !options.ImportFileName.Shown.empty() && FileTimeValue(file.WriteTime) == 0;
    if (has_no_time) {
      line.append(kTimeTextLength, ' ');
    } else {
      AppendTimeText(platform, file.WriteTime, texts.Separators, line);
    }
  }
}

// Appends the line of `item` at `depth` to `line`, after `prefix`: the segments of depths 1 to
// depth - 1, each following its ancestor's vertical line.
void AppendLine(Platform& platform, const LineTexts& texts, const TreeItem& item, size_t depth,
                std::string_view prefix, std::string& line) {
  const AppOptions& options = *texts.Options;
  line += prefix;
  if (depth >= 1) {
    // A file never gets a branch: it hangs on its folder's line while a folder follows it.
    if (item.IsFolder) {
      line += item.IsLast ? options.GlyphLast : options.GlyphMiddle;
    } else {
      line += item.IsLast ? kBlankSegment : std::string_view(options.GlyphContinue);
    }
  }
  if (item.IsFolder) {
    AppendName(texts, item, line);
    if (options.NeedFolderSums) AppendFolderSummary(texts, item, line);
  } else {
    AppendFileDetails(platform, texts, item, line);
  }
  line += "\r\n";
}

// Writes the line of `item` at `depth` after `prefix`, built in `line`.
void WriteItemLine(Platform& platform, const LineTexts& texts, const TreeItem& item, size_t depth,
                   std::string_view prefix, std::string& line) {
  line.clear();
  AppendLine(platform, texts, item, depth, prefix, line);
  platform.WriteLine(line);
}

}  // namespace

void AppendChildPrefix(const AppOptions& options, const TreeItem& folder, size_t depth,
                       std::string& prefix) {
  if (depth >= 1) prefix += folder.IsLast ? kBlankSegment : std::string_view(options.GlyphContinue);
}

ChartLineWriter::ChartLineWriter(Platform& platform, const AppOptions& options)
    : platform_(platform), texts_(std::make_unique<LineTexts>(MakeLineTexts(platform, options))) {}

ChartLineWriter::~ChartLineWriter() = default;

void ChartLineWriter::WriteLine(const TreeItem& item, size_t depth, std::string_view prefix) {
  if (!item.IsFolder && !texts_->Options->ShowFiles) return;
  WriteItemLine(platform_, *texts_, item, depth, prefix, line_);
}

namespace {

// Calls `draw(item, depth, prefix)` for every entry drawn, in pre-order, down to the depth shown.
template <typename Draw>
void ForEachDrawn(const AppOptions& options, const TreeItem& root, Draw draw) {
  // pending[d - 1] is the next entry to draw at depth d; an explicit stack for deep trees.
  // The depth of an entry in this walk is its Level.
  std::vector<const TreeItem*> pending;
  // The prefix of the entries at depth pending.size(), grown by one segment on the way down and
  // cut back on the way up, so a line costs one copy of it rather than one append per depth.
  // Segment d follows the ancestor at depth d: its vertical line goes on unless marked last.
  std::string prefix;
  std::vector<size_t> prefix_lengths;  // prefix.size() before each push onto `pending`
  const TreeItem* item = &root;
  while (item) {
    size_t depth = pending.size();
    // The entries that may come next are fetched while this line is built: in an order by size
    // or time, one entry's neighbour lies anywhere in the tree's memory, and waiting for it took
    // a fifth of the drawing.
    Prefetch(item->NextSibling);
    Prefetch(item->Children.First);
    Prefetch(item->NameBytes);
    if (item->IsFolder || options.ShowFiles) draw(*item, depth, std::string_view(prefix));
    // Nothing deeper than MaxDepth is drawn, whatever the walk made for the sums.
    if (item->Children.First && depth < static_cast<size_t>(options.MaxDepth)) {
      prefix_lengths.push_back(prefix.size());
      AppendChildPrefix(options, *item, depth, prefix);
      pending.push_back(item->Children.First);
    }
    // The next entry in pre-order: the first child just pushed, else the next sibling of the
    // nearest entry that has one.
    item = nullptr;
    while (!pending.empty() && !item) {
      item = pending.back();
      if (item) {
        pending.back() = item->NextSibling;
      } else {
        pending.pop_back();
        prefix.resize(prefix_lengths.back());
        prefix_lengths.pop_back();
      }
    }
  }
}

void DrawOnOneThread(Platform& platform, const LineTexts& texts, const TreeItem& root) {
  std::string line;  // reused for every line
  ForEachDrawn(*texts.Options, root,
               [&](const TreeItem& item, size_t depth, std::string_view prefix) {
                 WriteItemLine(platform, texts, item, depth, prefix, line);
               });
}

#if QUOVREL_DRAWS_BESIDE_WRITING

// Lines built and not yet written, whole, one after another.
struct LineBatch {
  std::string bytes;
  std::vector<uint32_t> ends;  // where each line ends in `bytes`, which never reaches 4 GiB
};

// The batches between the thread that builds lines and the one that writes them: a few at once,
// so that the memory stays that of a few batches however large the chart.
class BatchQueue {
 public:
  static constexpr size_t kBatchBytes = 64 * 1024;
  static constexpr size_t kMostBatches = 4;

  // Makes every batch there will be before the first line is built: memory that runs out then
  // ends the run before the chart starts, not midway through it. A batch holds one line past
  // kBatchBytes, mostly a short one; a longer line grows it.
  BatchQueue() {
    spare_.resize(kMostBatches + 1);
    for (LineBatch& batch : spare_) {
      batch.bytes.reserve(kBatchBytes + 1024);
      batch.ends.reserve(kBatchBytes / 8);
    }
  }

  // A batch to fill, empty; waits while kMostBatches are built and not yet written.
  LineBatch TakeEmpty() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return built_.size() + 1 < kMostBatches; });
    LineBatch batch;
    if (!spare_.empty()) {
      batch = std::move(spare_.back());
      spare_.pop_back();
    }
    batch.bytes.clear();
    batch.ends.clear();
    return batch;
  }
  void PutBuilt(LineBatch batch) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      built_.push_back(std::move(batch));
    }
    changed_.notify_all();
  }
  void Finish() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      is_finished_ = true;
    }
    changed_.notify_all();
  }
  // The next batch built, in order; false once every batch is taken.
  bool TakeBuilt(LineBatch& batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !built_.empty() || is_finished_; });
    if (built_.empty()) return false;
    batch = std::move(built_.front());
    built_.pop_front();
    return true;
  }
  void PutWritten(LineBatch batch) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      spare_.push_back(std::move(batch));
    }
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<LineBatch> built_;
  std::vector<LineBatch> spare_;
  bool is_finished_ = false;
};

// Builds the lines on a thread of their own while this one writes those built before: building
// takes about as long as writing, so a large chart is drawn in about half the time where a
// second processor is free. False, with nothing written, when no thread could be started (a
// limit on threads, or an address space too small for its stack).
bool DrawBesideWriting(Platform& platform, const LineTexts& texts, const TreeItem& root) {
  BatchQueue queue;
  std::thread builder;
  try {
    builder = std::thread([&] {
      LineBatch batch = queue.TakeEmpty();
      ForEachDrawn(*texts.Options, root,
                   [&](const TreeItem& item, size_t depth, std::string_view prefix) {
                     AppendLine(platform, texts, item, depth, prefix, batch.bytes);
                     batch.ends.push_back(static_cast<uint32_t>(batch.bytes.size()));
                     if (batch.bytes.size() < BatchQueue::kBatchBytes) return;
                     queue.PutBuilt(std::move(batch));
                     batch = queue.TakeEmpty();
                   });
      if (!batch.ends.empty()) queue.PutBuilt(std::move(batch));
      queue.Finish();
    });
  } catch (const std::system_error&) {
    return false;
  }
  LineBatch batch;
  while (queue.TakeBuilt(batch)) {
    size_t start = 0;
    for (const uint32_t end : batch.ends) {
      platform.WriteLine(std::string_view(batch.bytes).substr(start, end - start));
      start = end;
    }
    queue.PutWritten(std::move(batch));
  }
  builder.join();
  return true;
}

#endif

}  // namespace

void PrintTree(Platform& platform, const AppOptions& options, const TreeItem& root) {
  const LineTexts texts = MakeLineTexts(platform, options);
#if QUOVREL_DRAWS_BESIDE_WRITING
  // One thread asked for is one thread used.
  if (options.WalkThreads != 1 && DrawBesideWriting(platform, texts, root)) return;
#endif
  DrawOnOneThread(platform, texts, root);
}
