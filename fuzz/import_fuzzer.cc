// Fuzzes the saved scans' reader: any bytes are read as a saved scan. Rules: a refusal says what
// and where, and leaves nothing read; a scan read whole is a well-formed tree (every link points
// forward and inside it, every record inside its block), which the scan then walks and charts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/app_options.h"
#include "fake_platform.h"
#include "fuzz_checks.h"
#include "tree/folder_scan.h"
#include "tree/import_reader.h"
#include "tree/import_walker.h"

namespace {

void CheckTree(const ImportedScan& scan) {
  Require(scan.ItemCount > 0 && !scan.Blocks.empty() && ReadImportedRecord(scan, 0).Item.IsFolder);
  const uint64_t end = ImportedScanEnd(scan);
  for (uint64_t position = 0; position < end;) {
    const ImportedRecord record = ReadImportedRecord(scan, position);
    const ImportedBlock& block = scan.Blocks[record.Position >> 32];
    Require(static_cast<uint32_t>(record.Position) + record.Length <= block.Used);
    Require(!record.Item.IsFolder ||
            (record.Tail.SubtreeEnd >= record.Next && record.Tail.SubtreeEnd <= end));
    Require(!record.Item.HasChildren || record.Item.IsFolder);
    position = record.Next;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ImportedScan scan;
  std::string error;
  if (ReadImportedScan(nullptr, text, scan, error) != 0) {
    Require(scan.Blocks.empty() && error.find(" near byte ") != std::string::npos);
    return 0;
  }
  CheckTree(scan);
  FakePlatform platform;
  // The fake converts only its table of fixed texts to code page 932: names stay UTF-8.
  platform.SetUtf8Texts(true);
  AppOptions options;
  options.ShowFiles = options.ShowSum = options.CountDiskUsage = true;
  DeriveSettings(options);
  TreeStore store;
  TreeItem root = store.MakeRoot();
  ImportWalker walker(scan, platform);
  ScanFolder(walker, platform, options, store, PathText{}, root);
  ReleaseTree(root, store);
  return 0;
}
