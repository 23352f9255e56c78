// The POSIX platform: a Japanese Windows as the program sees it, on a Linux file system, in the
// classic mode; the locale's encoding in the Linux mode.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/posix/lower_case.h"
#include "platform/platform.h"
#include "platform/posix/catalogs.h"
#include "platform/posix/file_time.h"
#include "platform/posix/memory_end.h"
#include "platform/posix/output.h"
#include "platform/posix/output_file.h"
#include "platform/posix/separators.h"
#include "platform/posix/terminal.h"
#include "platform/posix/text.h"
#include "platform/posix/utf8_text.h"
#include "platform/posix/walker.h"

namespace {

class PosixPlatform : public Platform {
 public:
  explicit PosixPlatform(const std::string& codeset)
      : utc_offset_seconds_(CurrentUtcOffsetSeconds()), is_classic_(IsCp932CodesetName(codeset)) {
    IgnoreWriteSignals();
    if (!is_classic_) OpenMessageCatalogs();
    if (!is_classic_ && NeedsChartConversion(codeset)) console_.ConvertUtf8LinesTo(codeset);
    SetUtf8Texts(IsUtf8ByDefault());
  }

  bool IsClassicMode() override { return is_classic_; }

  std::string Translate(std::string_view english) override {
    return FromUtf8(TranslateText(english));
  }

  // The classic mode asks only a terminal: a pipe or a file gets the same bytes whatever the
  // environment. The Linux mode's chart is UTF-8 everywhere, converted to the locale's charset
  // where that is another (Console::ConvertUtf8LinesTo).
  bool IsUtf8ByDefault() override { return !is_classic_ || console_.IsOutputUtf8Terminal(); }

  void KeepNativeNames() override { converter_.KeepNative(); }
  void SetUtf8Texts(bool is_utf8) override {
    converter_.SetUtf8(is_utf8);
    console_.SetUtf8Texts(is_utf8);
  }

  PathText TextFromNative(std::string_view native) override {
    return converter_.TextFromNative(native);
  }

  std::string FromUtf8(std::string_view utf8) override { return converter_.FixedText(utf8); }

  void LowerCase(char* text, size_t length) override {
    if (converter_.IsUtf8()) {
      LowerCaseUtf8(text, length);
    } else {
      LowerCaseCp932(text, length);
    }
  }

  size_t DisplayWidth(std::string_view text) override { return Utf8DisplayWidth(text); }

  // The native form of every argument is its own bytes.
  std::vector<PathText> ReadArguments(int argc, char** argv) override {
    std::vector<PathText> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(TextFromNative(argv[i] ? argv[i] : ""));
    return arguments;
  }

  PathText ReadCurrentFolder() override {
    char* native = getcwd(nullptr, 0);  // as long as the path is
    if (native == nullptr && errno == ENOMEM) EndForWantOfMemory();
    if (native == nullptr) return SameText(".");
    PathText folder = TextFromNative(native);
    // A path past PATH_MAX cannot be opened by name: such a folder is opened as ".", which
    // reaches it however long its path is, and the root line still shows the whole path.
    if (std::strlen(native) >= PATH_MAX) folder.Native = ".";
    std::free(native);
    return folder;
  }

  int ChangeCurrentFolder(const PathText& folder) override {
    if (folder.Native.empty()) return -1;
    return chdir(folder.Native.c_str()) == 0 ? 0 : -1;
  }

  bool DirectoryExists(const PathText& path) override {
    if (path.Native.empty()) return false;
    struct stat status {};
    return stat(path.Native.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
  }

  bool SlashStartsPath() override { return true; }

  FileTime LocalFileTimeFromUnix(int64_t seconds) override {
    return LocalFileTimeFromPosix(seconds, 0, utc_offset_seconds_);
  }

  std::unique_ptr<FolderWalker> NewFolderWalker() override {
    // Before the walk, which may hold the last free descriptor, and after the command line has
    // settled the chart's encoding, in which the run ends when they cannot be had.
    PrepareLowerCase();
    return std::make_unique<PosixFolderWalker>(converter_, utc_offset_seconds_, MaxOpenFolders(),
                                               MaxOpenAhead());
  }

  ProgressScreen* GetProgressScreen() override { return console_.Progress(); }

  char PathSeparator() override { return '/'; }

  int FileTimeToDosDateTime(FileTime local, uint16_t& dos_date, uint16_t& dos_time) override {
    return DosDateTimeFromFileTime(local, dos_date, dos_time);
  }

  void GetDateTimeSeparators(std::string& date, std::string& time) override {
    ReadLocaleSeparators(date, time);
  }

  void WriteErrorLine(std::string_view line) override { console_.WriteErrorLine(line); }

  bool IsColorScreen() override { return isatty(STDOUT_FILENO) == 1; }

  std::string ReadEnvironment(std::string_view name) override {
    const char* value = getenv(std::string(name).c_str());
    return value ? value : "";
  }

  void WriteLine(std::string_view line) override { console_.WriteLine(line); }
  void EndRunWhenOutputCloses() override { console_.EndRunWhenOutputCloses(); }

  void AppendTotalFile(const PathText& name, std::string_view line) override {
    // The Linux mode ends the total file's lines as its chart's, with LF alone.
    const bool is_lf = !is_classic_ && line.ends_with("\r\n");
    const int failure =
        is_lf ? AppendLineToFile(name.Native, std::string(line.substr(0, line.size() - 2)) + "\n")
              : AppendLineToFile(name.Native, line);
    total_file_failure_ = failure != 0 ? std::strerror(failure) : "";
  }

  std::string TotalFileFailure() override { return total_file_failure_; }

  std::unique_ptr<OutputFile> CreateOutputFile(const PathText& name) override {
    int error = 0;
    std::unique_ptr<OutputFile> file = OpenPosixOutputFile(name.Native, error);
    output_file_failure_ = file ? "" : std::strerror(error);
    return file;
  }

  std::string OutputFileFailure() override { return output_file_failure_; }

  int64_t NowUnixSeconds() override { return static_cast<int64_t>(std::time(nullptr)); }

 private:
  TextConverter converter_;
  const int64_t utc_offset_seconds_;  // taken once, as FileTimeToLocalFileTime does
  const bool is_classic_;             // the locale's charset is code page 932 (Shift_JIS)
  Console console_;
  std::string total_file_failure_;  // why the last total file was not written
  std::string output_file_failure_;  // why the last output file could not be made
};

}  // namespace

// The mode is the locale's: classic where its charset is code page 932 (Shift_JIS), Linux for
// every other.
std::unique_ptr<Platform> NewSystemPlatform() {
  return std::make_unique<PosixPlatform>(UserCodeset());
}
