// Fuzzes the whole run on random in-memory trees: random names (shown as the POSIX layer shows
// them), sizes, times, refused folders and entries, and random display and order options
// (dot-folders and sizes in units among them). Rules:
// status 0, clean CR LF lines of valid code page 932, one line per shown entry, every folder's
// sums equal those of the entries drawn below it, every folder's size column straight, and the
// total file holds the sum of the shown files' sizes, whole: random sizes take it past 64 bits,
// and the program's sums never wrap.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chart_reader.h"
#include "common/app_options.h"
#include "fake_platform.h"
#include "front/command_line.h"
#include "front/run_driver.h"
#include "fuzz_checks.h"
#include "platform/posix/text.h"

namespace {

constexpr size_t kMostEntries = 600;
constexpr size_t kLongestName = 24;
constexpr char kRoot[] = "C:\\Work";
constexpr char kTotalFile[] = "total.txt";

// One entry of the random tree, with what the walk will see of it.
struct ModelEntry {
  FakePlatform::Node* node;
  std::string key;  // the fake platform's path for it, as its failure sets are keyed
  bool is_folder;
};

// What the run must show: counted while the model tree is walked as the scan would walk it.
struct Expected {
  size_t folders = 0;  // below the root
  size_t files = 0;
  ChartSum bytes = 0;
};

std::string RandomName(FuzzedDataProvider& input, TextConverter& converter) {
  std::string raw = input.ConsumeRandomLengthString(kLongestName);
  std::string shown = converter.DisplayName(raw);
  // A listing never holds an empty name, "." or "..".
  if (shown.empty() || shown == "." || shown == "..") shown += "n";
  // The chart reader finds a line's depth by its leading connectors and a file's name by
  // trimming blanks, so names that begin like a connector or end in a blank are kept out.
  if (std::string_view(" |+`").find(shown.front()) != std::string_view::npos) shown.insert(0, "n");
  if (shown.back() == ' ') shown += "n";
  return shown;
}

FakePlatform::Node& AddNode(FakePlatform::Node& parent, std::string name, bool is_folder) {
  parent.children.push_back(std::make_unique<FakePlatform::Node>());
  FakePlatform::Node& node = *parent.children.back();
  node.name = std::move(name);
  node.is_folder = is_folder;
  return node;
}

void MaybeRefuse(FuzzedDataProvider& input, FakePlatform& fake, const std::string& key) {
  const uint8_t refusals = input.ConsumeIntegral<uint8_t>();
  if (refusals & 1) fake.refuse_enter.insert(key);
  if (refusals & 2) fake.refuse_listing.insert(key);
  if (refusals & 4) fake.refuse_info.insert(key);
}

void BuildTree(FuzzedDataProvider& input, FakePlatform& fake, TextConverter& converter) {
  std::vector<ModelEntry> folders{{&fake.AddFolder(kRoot), kRoot, true}};
  size_t count = 0;
  while (count < kMostEntries && input.remaining_bytes() > 0) {
    // Mostly one entry; now and then a chain of folders, for depth.
    const size_t chain = input.ConsumeBool() ? 1 : input.ConsumeIntegralInRange<size_t>(1, 64);
    const bool is_folder = chain > 1 || input.ConsumeBool();
    ModelEntry parent = folders[input.ConsumeIntegralInRange<size_t>(0, folders.size() - 1)];
    for (size_t i = 0; i < chain && count < kMostEntries; ++i, ++count) {
      FakePlatform::Node& node = AddNode(*parent.node, RandomName(input, converter), is_folder);
      node.size = input.ConsumeIntegral<uint64_t>();
      node.time = MakeFileTime(input.ConsumeIntegral<uint64_t>());
      ModelEntry made{&node, parent.key + "\\" + node.name, is_folder};
      MaybeRefuse(input, fake, made.key);
      if (is_folder) folders.push_back(made);
      parent = made;
    }
  }
}

// Walks the model as the scan walks the fake platform.
Expected Expect(const FakePlatform& fake, FakePlatform::Node& root, bool with_info,
                bool dot_folders) {
  Expected expected;
  std::vector<std::pair<FakePlatform::Node*, std::string>> pending{{&root, kRoot}};
  while (!pending.empty()) {
    auto [folder, key] = pending.back();
    pending.pop_back();
    if (fake.refuse_listing.count(key)) continue;
    for (auto& child : folder->children) {
      const std::string child_key = key + "\\" + child->name;
      if (!child->is_folder) {
        ++expected.files;
        if (with_info && !fake.refuse_info.count(child_key)) {
          expected.bytes += child->size;
        }
      } else if (dot_folders || child->name[0] != '.') {
        ++expected.folders;
        if (!fake.refuse_enter.count(child_key)) pending.push_back({child.get(), child_key});
      }
    }
  }
  return expected;
}

std::vector<std::string> ChooseArguments(FuzzedDataProvider& input) {
  static const char* const kSwitches[] = {"/F",       "/Size", "/Time",       "/Sum",
                                          "/Total",   "/A",    "/OF",         "/IF",
                                          "/Descend", "/F-",   "/DotFolders", "/Human"};
  static const char* const kOrders[] = {"/NoSort", "/SN", "/SE", "/SS", "/ST"};
  std::vector<std::string> arguments{"quovrel", input.ConsumeBool() ? "C:\\Work" : "C:\\Work\\"};
  // Half the runs draw the chart the reader can check line by line.
  if (input.ConsumeBool()) {
    for (const char* option : {"/A", "/F", "/Size", "/Sum", "/Total"}) arguments.push_back(option);
  }
  const uint16_t chosen = input.ConsumeIntegral<uint16_t>();
  for (size_t i = 0; i < std::size(kSwitches); ++i) {
    if (chosen & (1u << i)) arguments.push_back(kSwitches[i]);
  }
  arguments.push_back(kOrders[input.ConsumeIntegralInRange<size_t>(0, std::size(kOrders) - 1)]);
  if (input.ConsumeBool()) arguments.push_back(std::string("/OutputTotal+=") + kTotalFile);
  return arguments;
}

bool EndsInTimeText(std::string_view line) {
  constexpr std::string_view kPattern = "dddd/dd/dd dd:dd";
  if (line.size() < kPattern.size()) return false;
  const std::string_view tail = line.substr(line.size() - kPattern.size());
  for (size_t i = 0; i < kPattern.size(); ++i) {
    const bool is_digit = tail[i] >= '0' && tail[i] <= '9';
    if (kPattern[i] == 'd' ? !is_digit : tail[i] != kPattern[i]) return false;
  }
  return true;
}

std::string TotalLine(ChartSum bytes) { return SumDigits(bytes) + "\r\n"; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TextConverter converter;
  FuzzedDataProvider input(data, size);
  std::vector<std::string> arguments = ChooseArguments(input);
  FakePlatform fake;
  BuildTree(input, fake, converter);

  std::vector<PathText> texts;
  for (const std::string& argument : arguments) texts.push_back(SameText(argument));
  // The settings the run will parse, parsed here too to know what it must show; on this tree the
  // parse writes nothing and changes nothing.
  std::vector<PathText> parsed_texts = texts;
  AppOptions o;
  Require(ParseCommandLine(fake, parsed_texts, o) == 0);
  const int status = RunQuovrel(fake, texts);

  Require(status == 0);
  Require(fake.walkers_alive == 0);
  std::vector<std::string_view> lines;
  Require(SplitCleanLines(fake.output, lines));
  Require(IsValidCp932(fake.output));
  const Expected expected = Expect(fake, *fake.Find(kRoot), o.NeedFileInfo, o.ShowDotFolders);
  const size_t shown_files = o.ShowFiles ? expected.files : 0;
  Require(lines.size() == 1 + expected.folders + shown_files);
  if (o.ShowFiles && o.ShowTime) {
    size_t timed = 0;
    for (std::string_view line : lines) timed += EndsInTimeText(line) ? 1 : 0;
    Require(timed >= expected.files);
  }
  // The reader reads whole numbers, so sizes in units are not read back.
  if (o.UseAsciiGlyphs && o.ShowFiles && o.ShowSize && o.ShowSum && o.ShowTotal &&
      !o.ShowHumanSizes) {
    ChartReader chart(o.ShowTime);
    Require(ReadChart(fake.output, chart));
    Require(chart.CheckSums().empty());
    Require(chart.Entries()[0].total_bytes == expected.bytes);
  }
  if (!o.TotalFileName.Shown.empty()) {
    Require(fake.total_files[kTotalFile] == TotalLine(expected.bytes));
  }
  return 0;
}
