// Fuzzes the command line: any bytes, split on zero bytes into arguments, run through the whole
// program on a small in-memory tree. Rules: status 0 or 1, a refused command line writes no
// total file, and with arguments converted as the POSIX program converts them it prints exactly
// one clean line of valid text in the chart's encoding (code page 932, or UTF-8 under "/UTF8+").
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fake_platform.h"
#include "front/run_driver.h"
#include "fuzz_checks.h"
#include "platform/posix/text.h"

namespace {

constexpr size_t kMostArguments = 32;

// The tree every run sees: the folder to chart, a few entries, and a path "/" can reach.
void MakeTree(FakePlatform& fake, uint8_t flags) {
  fake.AddFile("C:\\Work\\a.txt", 1234);
  fake.AddFile("C:\\Work\\Docs\\memo.txt", 2048);
  fake.AddFolder("C:\\Work\\Docs\\Old");
  fake.AddFolder("C:\\Work\\Src");
  fake.AddFolder("D:\\");
  fake.AddFolder("tmp/x");
  fake.slash_paths = (flags & 2) != 0;
  // A current directory longer than any fixed buffer would hold.
  if (flags & 4) fake.current_directory = "C:\\" + std::string(300, 'w');
}

// The fake platform, showing a native text in UTF-8 as the POSIX program does once a run has
// chosen UTF-8 (each malformed byte as U+FFFD, controls as "?"), not byte for byte.
class PosixShownPlatform : public FakePlatform {
 public:
  PathText TextFromNative(std::string_view native) override {
    if (!IsUtf8Texts()) return FakePlatform::TextFromNative(native);
    static TextConverter utf8;
    utf8.SetUtf8(true);
    return utf8.TextFromNative(native);
  }
  // The fixed texts in code page 932 as the POSIX program converts them: the fake's own table
  // holds only what the unit tests write.
  std::string FromUtf8(std::string_view text) override {
    if (IsUtf8Texts()) return std::string(text);
    static TextConverter cp932;
    return cp932.FixedText(text);
  }
};

std::vector<std::string> SplitArguments(std::string_view bytes) {
  std::vector<std::string> arguments{"quovrel"};
  size_t start = 0;
  while (start <= bytes.size() && arguments.size() <= kMostArguments) {
    size_t end = bytes.find('\0', start);
    if (end == std::string_view::npos) end = bytes.size();
    arguments.emplace_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static TextConverter converter;
  const uint8_t flags = data[0];
  const std::vector<std::string> raw =
      SplitArguments(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  // As the POSIX program hands its arguments over: shown converted, control bytes as "?", and
  // the raw bytes as the native form; or the raw bytes as both.
  const bool as_posix = (flags & 1) != 0;
  std::vector<PathText> arguments;
  for (const std::string& argument : raw) {
    arguments.push_back(as_posix ? converter.TextFromNative(argument) : SameText(argument));
  }
  PosixShownPlatform fake;
  MakeTree(fake, flags);

  const int status = RunQuovrel(fake, arguments);

  Require(status == 0 || status == 1);
  Require(fake.walkers_alive == 0);
  if (status == 1) Require(fake.total_files.empty());
  if (!as_posix) return 0;  // a raw argument may hold a line end, which a refusal echoes
  // A command line may ask for colour ("/Color"), whose sequences are the chart's own; the names
  // in them are the pipeline target's to vary, where no control byte may pass at all.
  const std::string shown = WithoutColourSequences(fake.output);
  std::vector<std::string_view> lines;
  Require(SplitCleanLines(shown, lines));
  Require(fake.IsUtf8Texts() ? IsValidUtf8(shown) : IsValidCp932(shown));
  if (status == 1) Require(lines.size() == 1);
  return 0;
}
