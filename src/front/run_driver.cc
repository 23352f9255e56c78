// The run driver. The order of the tree steps matters: the ordering needs the aggregation's
// folder totals, the marking needs the final order, and nothing may reorder after the marking.
// The column widths depend on no order; they are set once, right before the printing that reads
// them.
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
#include "output/print_tree.h"
#include "output/progress_walker.h"
#include "output/total_file.h"
#include "platform/platform.h"
#include "tree/aggregate.h"
#include "tree/folder_scan.h"

namespace {

constexpr int kOutOfMemoryStatus = 2;

// Scans `folder` into `root`, written to the export file as the walk goes with `is_exported`.
// -1 when the export file could not be made or written whole, which is reported.
int ScanTree(Platform& platform, const AppOptions& options, const PathText& folder,
             TreeStore& store, TreeItem& root, std::vector<SharedFile>& shared_files,
             std::vector<UnreadFolder>* unread, bool is_exported) {
  // The walker, and the memory of its listings, lasts the scan alone.
  const std::unique_ptr<FolderWalker> walker = NewScanWalker(platform, options.IsUtf8Chart);
  if (!is_exported) {
    ScanFolder(*walker, platform, options, store, folder, root, &shared_files, unread);
    return 0;
  }
  const PathText& name = options.ExportFileName;
  const std::unique_ptr<OutputFile> file = platform.CreateOutputFile(name);
  if (!file) {
    ReportUnwrittenExport(platform, name.Shown, platform.OutputFileFailure());
    ScanFolder(*walker, platform, options, store, folder, root, &shared_files, unread);
    return -1;
  }
  ExportWriter writer(*file, options.OneFileSystem);
  writer.WriteHeader(platform.NowUnixSeconds());
  ScanFolder(*walker, platform, options, store, folder, root, &shared_files, unread, &writer);
  if (writer.Finish() == 0) return 0;
  ReportUnwrittenExport(platform, name.Shown, file->FailureText());
  return -1;
}

// Returns the run's status: 1 when a folder could not be read or the total file could not be
// written, which only the Linux mode tells (the classic mode is silent, and its status 0), or
// when the export (of this folder, with `is_exported`) could not be written, in either mode.
int ChartTree(Platform& platform, const AppOptions& options, const PathText& folder,
              TreeStore& store, TreeItem& root, bool is_exported) {
  const bool is_classic = platform.IsClassicMode();
  std::vector<UnreadFolder> unread;
  std::vector<SharedFile> shared_files;  // files with other names, to count each once
  const int export_status = ScanTree(platform, options, folder, store, root, shared_files,
                                     is_classic ? nullptr : &unread, is_exported);
  // The warnings come before the chart, as the walk met them.
  for (const UnreadFolder& folder : unread) WarnUnreadFolder(platform, folder.Path, folder.Reason);
  AggregateTree(options, root, shared_files);
  SortAndMarkTree(options, root);
  SetItemName(store, root, folder.Shown);
  SetColumnWidths(platform, options, root);
  // An export on standard output has it to itself.
  if (!options.IsExportOnOutput) PrintTree(platform, options, root);
  int status = unread.empty() && export_status == 0 ? 0 : 1;
  if (WriteTotalFile(platform, options, root) != 0 && !is_classic) {
    WarnUnwrittenTotalFile(platform, options.TotalFileName.Shown, platform.TotalFileFailure());
    status = 1;
  }
  return status;
}

// The Linux mode's folders named before the last, each in its own tree, each chart followed by
// an empty line. Returns 1 when one of them could not be read whole. The export, which holds one
// folder, is the last folder's.
int ChartEarlierFolders(Platform& platform, const AppOptions& options) {
  int status = 0;
  for (const PathText& folder : options.EarlierFolders) {
    TreeStore store;
    TreeItem root = store.MakeRoot();
    if (ChartTree(platform, options, folder, store, root, false) != 0) status = 1;
    ReleaseTree(root, store);
    if (!options.IsExportOnOutput) platform.WriteLine("\r\n");
  }
  return status;
}

int RunSteps(Platform& platform, std::vector<PathText>& arguments) {
  TreeStore store;
  // The root is the first entry of the run, so it takes the first sequence number.
  TreeItem root = store.MakeRoot();
  AppOptions parsed;
  int status = 0;
  // The parser writes the settings once; from here on they are read only.
  const AppOptions& options = parsed;
  // "-L N" takes the next argument in the Linux mode alone: the classic "-L" stays as it was.
  if (ParseCommandLine(platform, arguments, parsed, !platform.IsClassicMode()) != 0) {
    status = 1;
  } else if (PrintVersionBanner(platform, options) == 0 && !options.ShowHelp &&
             (arguments.size() == 2 || options.ShowVersionAlone)) {
    // The banner alone: the single argument, or "--version", asked for it.
  } else if (PrintHelp(platform, options) == 0) {
    // The help ends the run.
  } else {
    status = ChartEarlierFolders(platform, options) != 0 || options.HasMissingFolder ? 1 : 0;
    if (ChartTree(platform, options, options.RootPath, store, root, options.NeedExport) != 0) {
      status = 1;
    }
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
