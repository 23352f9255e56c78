// The run driver. The order of the tree steps matters: the ordering needs the aggregation's
// folder totals, the marking needs the final order, and nothing may reorder after the marking.
// The column widths depend on no order; they are set once, right before the printing that reads
// them. A chart written as the walk goes takes each of these steps folder by folder instead
// (output/stream_chart.h).
#include "front/run_driver.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "common/app_options.h"
#include "common/tree_item.h"
#include "front/command_line.h"
#include "front/fixed_texts.h"
#include "front/help_text.h"
#include "front/messages.h"
#include "order/sort_tree.h"
#include "output/column_widths.h"
#include "output/export_writer.h"
#include "output/json_tree.h"
#include "output/print_tree.h"
#include "output/progress_walker.h"
#include "output/stream_chart.h"
#include "output/total_file.h"
#include "platform/platform.h"
#include "tree/aggregate.h"
#include "tree/folder_scan.h"
#include "tree/import_reader.h"
#include "tree/import_walker.h"

namespace {

constexpr int kOutOfMemoryStatus = 2;

// Scans `folder` into `root`, written to the export file as the walk goes with `is_exported`.
// -1 when the export file could not be made or written whole, which is reported.
// `saved_scan`, when given, is walked instead of the disk.
int ScanTree(Platform& platform, const AppOptions& options, const PathText& folder,
             ImportedScan* saved_scan, TreeStore& store, TreeItem& root,
             std::vector<SharedFile>& shared_files, std::vector<UnreadFolder>* unread,
             bool is_exported, const FolderFinish* finish) {
  // The walker, and the memory of its listings, lasts the scan alone.
  const std::unique_ptr<FolderWalker> walker =
      saved_scan != nullptr ? std::make_unique<ImportWalker>(*saved_scan, platform, &store)
                            : NewScanWalker(platform, options.IsUtf8Chart);
  if (!is_exported) {
    ScanFolder(*walker, platform, options, store, folder, root, &shared_files, unread, nullptr,
               nullptr, finish);
    return 0;
  }
  const PathText& name = options.ExportFileName;
  const std::unique_ptr<OutputFile> file = platform.CreateOutputFile(name);
  if (!file) {
    ReportUnwrittenExport(platform, name.Shown, platform.OutputFileFailure());
    ScanFolder(*walker, platform, options, store, folder, root, &shared_files, unread, nullptr,
               nullptr, finish);
    return -1;
  }
  ExportWriter writer(*file, options.OneFileSystem);
  writer.WriteHeader(platform.NowUnixSeconds());
  ScanFolder(*walker, platform, options, store, folder, root, &shared_files, unread, &writer,
             nullptr, finish);
  if (writer.Finish() == 0) return 0;
  ReportUnwrittenExport(platform, name.Shown, file->FailureText());
  return -1;
}

// The chart of `folder` written as the walk goes (IsChartStreamed), each unread folder told as
// the walk meets it, before the lines that follow. Returns the run's status as ChartTree does.
int StreamTree(Platform& platform, const AppOptions& options, const PathText& folder,
               TreeStore& store, TreeItem& root) {
  const bool is_classic = platform.IsClassicMode();
  std::vector<UnreadFolder> unread;
  std::vector<SharedFile> shared_files;
  bool has_unread = false;
  auto tell_unread = [&] {
    for (const UnreadFolder& folder : unread) {
      WarnUnreadFolder(platform, folder.Path, folder.Reason);
    }
    has_unread = has_unread || !unread.empty();
    unread.clear();
  };
  SetItemName(store, root, folder.Shown);
  // Nothing is left to do once nobody reads a streamed chart (it has no total file, export or
  // document to finish): the Linux mode ends as the programs of a pipeline do, so that
  // `quovrel /usr | head -3` ends with its third line. The classic program keeps walking.
  if (!is_classic) platform.EndRunWhenOutputCloses();
  {
    StreamedChart chart(platform, options, root, shared_files, tell_unread);
    const std::unique_ptr<FolderWalker> walker = NewScanWalker(platform, options.IsUtf8Chart);
    ScanFolder(*walker, platform, options, store, folder, root, &shared_files,
               is_classic ? nullptr : &unread, nullptr, &chart);
  }
  // The root's children were the chart's, released with it.
  root.Children = ChildList{};
  return has_unread ? 1 : 0;
}

// Each folder's sums, order and file columns, set as the walk leaves it rather than in passes
// over the whole tree after the walk: its entries are still in the cache then (a sixteenth off a
// large chart with one thread), and with several threads less is left for the walk's thread
// alone once the last listing is read. Not where each file counts once (CountDiskUsage), whose
// first name is decided in an order the walk does not follow.
class ChartFolderFinish {
 public:
  ChartFolderFinish(Platform& platform, const AppOptions& options)
      : platform_(platform),
        options_(options),
        with_columns_(!options.ShowJson && !options.IsExportOnOutput) {}
  static bool Suits(const AppOptions& options) { return !options.CountDiskUsage; }

  void Finish(TreeItem& folder) {
    if (options_.NeedOwnSums) SumFinishedFolder(options_, folder);
    SortAndMarkChildren(options_, folder, items_);
    if (with_columns_) SetFolderFileColumns(platform_, options_, folder);
    last_ = &folder;
  }
  // Finishes `root` unless the walk did, as its last folder: once only, as a descending order
  // sorted again would turn equal keys around.
  void FinishRoot(TreeItem& root) {
    if (last_ != &root) Finish(root);
  }

 private:
  Platform& platform_;
  const AppOptions& options_;
  const bool with_columns_;
  SortRoom items_;  // reused for every folder's sort
  const TreeItem* last_ = nullptr;
};

// Returns the run's status: 1 when a folder could not be read or the total file could not be
// written, which only the Linux mode tells (the classic mode is silent, and its status 0), or
// when the export (of this folder, with `is_exported`) could not be written, in either mode.
// A JSON document gathers every folder charted into `report`. `saved_scan`, when given, is walked
// instead of the disk; `folder` then only names the root.
int ChartTree(Platform& platform, const AppOptions& options, const PathText& folder,
              TreeStore& store, TreeItem& root, JsonReport& report, bool is_exported,
              ImportedScan* saved_scan = nullptr) {
  if (options.IsChartStreamed) return StreamTree(platform, options, folder, store, root);
  const bool is_classic = platform.IsClassicMode();
  std::vector<UnreadFolder> unread;
  std::vector<SharedFile> shared_files;  // files with other names, to count each once
  // The classic mode is silent about unread folders, but its JSON document still tells them.
  const bool need_unread = !is_classic || options.ShowJson;
  ChartFolderFinish finish(platform, options);
  const bool is_finished_in_walk = ChartFolderFinish::Suits(options);
  const FolderFinish finish_folder = [&finish](TreeItem& done) { finish.Finish(done); };
  const int export_status = ScanTree(platform, options, folder, saved_scan, store, root,
                                     shared_files, need_unread ? &unread : nullptr, is_exported,
                                     is_finished_in_walk ? &finish_folder : nullptr);
  // The warnings come before the chart, as the walk met them.
  for (const UnreadFolder& folder : unread) {
    if (!is_classic) WarnUnreadFolder(platform, folder.Path, folder.Reason);
  }
  if (is_finished_in_walk) {
    finish.FinishRoot(root);
  } else {
    AggregateTree(options, root, shared_files);
    SortAndMarkTree(options, root);
  }
  SetItemName(store, root, folder.Shown);
  if (options.ShowJson) {
    PrintJsonTree(platform, options, root, unread, report);
  } else if (!options.IsExportOnOutput) {  // an export on standard output has it to itself
    if (!is_finished_in_walk) SetColumnWidths(platform, options, root);
    PrintTree(platform, options, root);
  }
  int status = (unread.empty() || is_classic) && export_status == 0 ? 0 : 1;
  if (WriteTotalFile(platform, options, root) != 0 && !is_classic) {
    WarnUnwrittenTotalFile(platform, options.TotalFileName.Shown, platform.TotalFileFailure());
    status = 1;
  }
  return status;
}

// The Linux mode's folders named before the last, each in its own tree, each chart followed by
// an empty line. Returns 1 when one of them could not be read whole. The export, which holds one
// folder, is the last folder's.
int ChartEarlierFolders(Platform& platform, const AppOptions& options, JsonReport& report) {
  int status = 0;
  for (const PathText& folder : options.EarlierFolders) {
    TreeStore store;
    TreeItem root = store.MakeRoot();
    if (ChartTree(platform, options, folder, store, root, report, false) != 0) status = 1;
    ReleaseTree(root, store);
    // The JSON document holds every folder's object in its one array.
    if (!options.ShowJson && !options.IsExportOnOutput) platform.WriteLine("\r\n");
  }
  return status;
}

bool IsImport(const AppOptions& options) { return !options.ImportFileName.Shown.empty(); }

// Reads the saved scan named by /Import whole, before anything is written: a file that is
// wrong anywhere charts nothing. Only what the chart will read is kept, so that the saved scan
// costs no more than the walk of the folder would. Returns 0, or -1 after the message.
int ReadSavedScan(Platform& platform, const AppOptions& options, ImportedScan& scan) {
  const PathText& name = options.ImportFileName;
  ImportFilter filter;
  filter.FilesWanted = options.NeedFileEntries;
  filter.InfoWanted = options.NeedFileInfo;
  filter.DotFoldersWanted = options.ShowDotFolders;
  filter.DepthLimit = options.ScanDepthLimit;
  std::FILE* file = platform.OpenInputFile(name);
  std::string error;
  int status = -1;
  if (file == nullptr) {
    error = "the file cannot be opened";
  } else {
    status = ReadImportedScan(file, {}, scan, error, filter);
    if (file != stdin) std::fclose(file);
  }
  if (status != 0) ReportInvalidImport(platform, name.Shown, platform.FromUtf8(error));
  return status;
}

// The root line names the folder the saved scan was made of, as the file gives it.
int ChartSavedScan(Platform& platform, const AppOptions& options, ImportedScan& scan,
                   TreeStore& store, TreeItem& root, JsonReport& report) {
  PathText folder;
  folder.Shown = platform.FromUtf8(scan.RootName);
  return ChartTree(platform, options, folder, store, root, report, options.NeedExport, &scan);
}

int RunSteps(Platform& platform, std::vector<PathText>& arguments) {
  TreeStore store;
  // The root is the first entry of the run, so it takes the first sequence number.
  TreeItem root = store.MakeRoot();
  AppOptions parsed;
  int status = 0;
  // The parser writes the settings once; from here on they are read only.
  const AppOptions& options = parsed;
  ImportedScan saved_scan;
  // "-L N" takes the next argument in the Linux mode alone: the classic "-L" stays as it was.
  if (ParseCommandLine(platform, arguments, parsed, !platform.IsClassicMode()) != 0) {
    status = 1;
  } else if (IsImport(options) && !options.ShowHelp && !options.ShowVersionAlone &&
             ReadSavedScan(platform, options, saved_scan) != 0) {
    status = 1;
  } else if (PrintVersionBanner(platform, options) == 0 && !options.ShowHelp &&
             (arguments.size() == 2 || options.ShowVersionAlone)) {
    // The banner alone: the single argument, or "--version", asked for it.
  } else if (PrintHelp(platform, options) == 0) {
    // The help ends the run.
  } else {
    JsonReport report;
    if (options.ShowJson) {
      platform.KeepNativeNames();
      BeginJsonDocument(platform);
    }
    status =
        ChartEarlierFolders(platform, options, report) != 0 || options.HasMissingFolder ? 1 : 0;
    const int charted = IsImport(options)
                            ? ChartSavedScan(platform, options, saved_scan, store, root, report)
                            : ChartTree(platform, options, options.RootPath, store, root, report,
                                        options.NeedExport);
    if (charted != 0) status = 1;
    if (options.ShowJson) EndJsonDocument(platform, options, report);
  }
  ReleaseTree(root, store);
  return status;
}

}  // namespace

// Memory running out is the one failure that no status value carries: any step can meet it, so
// it is caught here, the one exception the program handles. By then the tree is released, which
// gives the message room. The total file is written last, so it is left untouched. (The POSIX
// platform ends the run itself before anything is thrown: EndRunWhenMemoryRunsOut.)
int RunQuovrel(Platform& platform, std::vector<PathText>& arguments) {
  try {
    return RunSteps(platform, arguments);
  } catch (const std::bad_alloc&) {
    WriteFixedErrorLine(platform, kOutOfMemoryMessage);
    return kOutOfMemoryStatus;
  }
}
