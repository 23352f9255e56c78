// The Win32 platform: a Japanese Windows, whose ANSI code page is 932, as the program sees it.
// The system is called with its wide (UTF-16) texts and long paths, so that no name and no depth
// is out of reach; every text the program parses or shows is the code page 932 text that the
// ANSI calls would have given.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/win32/console.h"
#include "platform/win32/output_file.h"
#include "platform/win32/text.h"
#include "platform/win32/walker.h"

namespace {

// The user's separator for `type`, or `fallback` when the settings give none.
std::string ReadLocaleSeparator(LCTYPE type, const char* fallback) {
  char buffer[8] = {};
  int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  if (length <= 1) return fallback;
  return std::string(buffer, length - 1);
}

// True from 2108-01-01 on, where the DOS date ends. Windows refuses such a time itself, but
// wine wraps the year into the 7 bits instead; checked here so that both agree.
bool IsAfterDosDates(const FILETIME& time) {
  static const ULONGLONG kEnd = [] {
    SYSTEMTIME first_day{2108, 1, 0, 1, 0, 0, 0, 0};
    FILETIME end{};
    SystemTimeToFileTime(&first_day, &end);
    return (static_cast<ULONGLONG>(end.dwHighDateTime) << 32) | end.dwLowDateTime;
  }();
  return ((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) >= kEnd;
}

// Cuts the file back to `before`, its size before a line of `length` bytes came out short: a
// fragment would run into the next run's line and make one wrong number of both. Only when no
// more than the fragment lies beyond `before`, so a line another run appended meanwhile stays.
// An append-only handle may not set the end of its file: one with write access is made from it.
void CutOffFragment(HANDLE file, LARGE_INTEGER before, size_t length) {
  LARGE_INTEGER now{};
  if (!GetFileSizeEx(file, &now) || now.QuadPart <= before.QuadPart ||
      now.QuadPart - before.QuadPart >= static_cast<LONGLONG>(length)) {
    return;
  }
  HANDLE writable = ReOpenFile(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
  if (writable == INVALID_HANDLE_VALUE) return;
  if (SetFilePointerEx(writable, before, nullptr, FILE_BEGIN)) SetEndOfFile(writable);
  CloseHandle(writable);
}

class Win32Platform : public Platform {
 public:
  Win32Platform() {
    // The program writes its own CR LF; the runtime must not add a second CR.
    _setmode(_fileno(stdout), _O_BINARY);
    DWORD mode = 0;
    is_output_console_ = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
    screen_ = OpenConsoleScreen();
    SetUtf8Texts(IsUtf8ByDefault());
  }

  ~Win32Platform() override { RestoreOutputMode(); }

  // A console whose output code page is UTF-8 (65001) asks for it; anything else, and every file
  // and pipe, gets code page 932 unless the command line says otherwise.
  bool IsUtf8ByDefault() override { return is_output_console_ && GetConsoleOutputCP() == CP_UTF8; }

  void SetUtf8Texts(bool is_utf8) override {
    is_shown_utf8_ = is_utf8;
    if (screen_) screen_->SetUtf8(is_utf8);
  }

  PathText TextFromNative(std::string_view native) override {
    return PathTextFromWide(WideFromNative(native), is_shown_utf8_);
  }

  std::string FromUtf8(std::string_view utf8) override {
    return is_shown_utf8_ ? std::string(utf8) : Cp932FromUtf8(utf8);
  }

  void LowerCase(char* text, size_t length) override {
    if (length == 0) return;
    if (is_shown_utf8_) {
      LowerCaseUtf8(text, length);
    } else {
      CharLowerBuffA(text, static_cast<DWORD>(length));
    }
  }

  size_t DisplayWidth(std::string_view text) override { return Utf8DisplayWidth(text); }

  // The command line as the system holds it, in UTF-16: the runtime's ANSI arguments would have
  // lost every character code page 932 lacks. Only where it cannot be read are they taken.
  std::vector<PathText> ReadArguments(int argc, char** argv) override {
    std::vector<PathText> arguments;
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
      for (int i = 0; i < count; ++i) arguments.push_back(TextFromWide(wide[i]));
      LocalFree(wide);
      return arguments;
    }
    for (int i = 0; i < argc; ++i) arguments.push_back(PathTextFromCp932(argv[i] ? argv[i] : ""));
    return arguments;
  }

  PathText ReadCurrentFolder() override {
    // The first call tells the room the path needs, its zero included.
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring path(size, L'\0');
    const DWORD length = size == 0 ? 0 : GetCurrentDirectoryW(size, path.data());
    if (length == 0 || length >= size) return TextFromWide(L".");
    path.resize(length);
    return TextFromWide(path);
  }

  // Taken as typed: a drive letter and colon with a relative path resolve against that drive's
  // own current directory, which a long path would not do.
  int ChangeCurrentFolder(const PathText& folder) override {
    const std::wstring path = WideFromNative(folder.Native);
    return !path.empty() && SetCurrentDirectoryW(path.c_str()) ? 0 : -1;
  }

  bool DirectoryExists(const PathText& path) override {
    const std::wstring long_path = LongPath(WideFromNative(path.Native));
    if (long_path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(long_path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  // "/" always starts an option here.
  bool SlashStartsPath() override { return false; }

  std::unique_ptr<FolderWalker> NewFolderWalker() override {
    return NewWin32FolderWalker(is_shown_utf8_);
  }

  std::FILE* OpenInputFile(const PathText& name) override {
    if (name.Shown == "-") {
      _setmode(_fileno(stdin), _O_BINARY);
      return stdin;
    }
    const std::wstring long_path = LongPath(WideFromNative(name.Native));
    return long_path.empty() ? nullptr : _wfopen(long_path.c_str(), L"rb");
  }

  FileTime LocalFileTimeFromUnix(int64_t seconds) override {
    const FileTime utc = Platform::LocalFileTimeFromUnix(seconds);
    FILETIME written{utc.Low, utc.High};
    FILETIME local;
    if (!FileTimeToLocalFileTime(&written, &local)) return utc;
    return FileTime{local.dwLowDateTime, local.dwHighDateTime};
  }

  ProgressScreen* GetProgressScreen() override { return screen_.get(); }

  int FileTimeToDosDateTime(FileTime local, uint16_t& dos_date, uint16_t& dos_time) override {
    FILETIME time{local.Low, local.High};
    if (IsAfterDosDates(time)) return -1;
    WORD date_word = 0;
    WORD time_word = 0;
    if (!::FileTimeToDosDateTime(&time, &date_word, &time_word)) return -1;
    dos_date = date_word;
    dos_time = time_word;
    return 0;
  }

  void GetDateTimeSeparators(std::string& date, std::string& time) override {
    date = ReadLocaleSeparator(LOCALE_SDATE, "/");
    time = ReadLocaleSeparator(LOCALE_STIME, ":");
  }

  void WriteErrorLine(std::string_view line) override {
    if (screen_) screen_->Erase();
    WriteShownLine(GetStdHandle(STD_ERROR_HANDLE), line, is_shown_utf8_);
  }

  // One write per line, so each line reaches a pipe whole. A failed write (a closed pipe) is
  // ignored: the run goes on and its status does not change. A progress line goes first.
  bool IsColorScreen() override { return EnableOutputColors(); }

  // LS_COLORS is ASCII: a control character in it, shown as "?", would be of no use anyway.
  std::string ReadEnvironment(std::string_view name) override {
    const std::wstring wide_name = WideFromUtf8(name);
    const DWORD length = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
    if (length == 0) return {};
    std::wstring value(length, L'\0');
    value.resize(GetEnvironmentVariableW(wide_name.c_str(), value.data(), length));
    return ShownFromWide(value, true);
  }

  void WriteLine(std::string_view line) override {
    if (screen_) screen_->Erase();
    WriteShownLine(GetStdHandle(STD_OUTPUT_HANDLE), line, is_shown_utf8_);
  }

  // A total file that cannot be opened is not written, silently. The line arrives whole or not
  // at all: a part that a full disk cut short is taken off the file again.
  void AppendTotalFile(const PathText& name, std::string_view line) override {
    const std::wstring path = LongPath(WideFromNative(name.Native));
    if (path.empty()) return;
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER before{};
    const bool has_size = GetFileSizeEx(file, &before) != 0;  // not for a device or a pipe
    DWORD written = 0;
    const BOOL is_written =
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    if ((!is_written || written != line.size()) && has_size) {
      CutOffFragment(file, before, line.size());
    }
    CloseHandle(file);
  }

  std::unique_ptr<OutputFile> CreateOutputFile(const PathText& name) override {
    output_file_failure_.clear();
    return OpenWin32OutputFile(name.Native, output_file_failure_);
  }

  std::string OutputFileFailure() override { return output_file_failure_; }

  int64_t NowUnixSeconds() override {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t value = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
    return static_cast<int64_t>(value / 10000000) - kSecondsFrom1601To1970;
  }

 private:
  PathText TextFromWide(std::wstring_view wide) { return PathTextFromWide(wide, is_shown_utf8_); }

  bool is_output_console_ = false;
  bool is_shown_utf8_ = false;  // the encoding of every shown text (SetUtf8Texts)
  std::string output_file_failure_;        // why the last output file could not be made
  std::unique_ptr<ConsoleScreen> screen_;  // null unless standard error is a console
};

}  // namespace

std::unique_ptr<Platform> NewSystemPlatform() { return std::make_unique<Win32Platform>(); }

// Windows gives no limit on a process's address space short of a job object; memory running out
// there reaches the driver's catch as std::bad_alloc.
void EndRunWhenMemoryRunsOut() {}
