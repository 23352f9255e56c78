// The POSIX platform: a Japanese Windows as the program sees it, on a Linux file system.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/common_text.h"
#include "platform/platform.h"
#include "platform/posix_file_time.h"
#include "platform/posix_native_paths.h"
#include "platform/posix_output.h"
#include "platform/posix_separators.h"
#include "platform/posix_text.h"
#include "platform/posix_walker.h"

namespace {

class PosixPlatform : public Platform {
 public:
  PosixPlatform()
      : paths_(converter_), utc_offset_seconds_(CurrentUtcOffsetSeconds()), console_(converter_) {
    IgnoreBrokenPipes();
  }

  std::string FromUtf8(std::string_view utf8) override { return converter_.FixedText(utf8); }

  void LowerCase(char* text, size_t length) override { LowerCaseCp932(text, length); }

  std::vector<std::string> ReadArguments(int argc, char** argv) override {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
      const std::string_view native = argv[i] ? argv[i] : "";
      arguments.push_back(paths_.Import(native));
      // The name after an option's "=" is used as a path of its own (the total file).
      if (!native.empty() && (native[0] == '/' || native[0] == '-')) {
        const size_t equals = native.find('=');
        if (equals != std::string_view::npos) paths_.Import(native.substr(equals + 1));
      }
    }
    return arguments;
  }

  int GetCurrentDirectory(char* buffer, size_t size) override {
    char* native = getcwd(nullptr, 0);
    if (native == nullptr) return -1;
    const std::string shown = paths_.Import(native);
    std::free(native);
    if (shown.size() + 1 > size) return -1;
    std::memcpy(buffer, shown.c_str(), shown.size() + 1);
    return 0;
  }

  int SetCurrentDirectory(const char* path) override {
    const std::string native = paths_.NativePath(path);
    if (native.empty()) return -1;
    return chdir(native.c_str()) == 0 ? 0 : -1;
  }

  bool DirectoryExists(const char* path) override {
    if (path[0] == '\0') return false;
    struct stat status {};
    return stat(paths_.NativePath(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
  }

  // A second "/" before any "=" can only be a path (no option key holds one); otherwise the
  // argument is a path when it names an existing folder, such as /tmp.
  bool IsSlashPath(const char* argument) override {
    const std::string_view text = argument;
    const std::string_view key = text.substr(0, text.find('='));
    return key.find('/', 1) != std::string_view::npos || DirectoryExists(argument);
  }

  std::unique_ptr<FolderWalker> NewFolderWalker() override {
    return std::make_unique<PosixFolderWalker>(converter_, paths_, utc_offset_seconds_,
                                               MaxOpenFolders(), console_.Progress());
  }

  int FileTimeToDosDateTime(FileTime local, uint16_t& dos_date, uint16_t& dos_time) override {
    return DosDateTimeFromFileTime(local, dos_date, dos_time);
  }

  void GetDateTimeSeparators(std::string& date, std::string& time) override {
    ReadLocaleSeparators(date, time);
  }

  void WriteErrorLine(std::string_view line) override { console_.WriteErrorLine(line); }

  void WriteLine(std::string_view line) override { console_.WriteLine(line); }

  void AppendTotalFile(const char* name, std::string_view line) override {
    AppendLineToFile(paths_.NativePath(name), line);
  }

 private:
  TextConverter converter_;
  NativePathBook paths_;
  const int64_t utc_offset_seconds_;  // taken once, as FileTimeToLocalFileTime does
  Console console_;
};

}  // namespace

std::unique_ptr<Platform> NewSystemPlatform() { return std::make_unique<PosixPlatform>(); }
