// Shell runs, the chart reader with its sum check, and descriptor-built deep trees.
#include "reliability_support.h"

#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

extern char** environ;

namespace {

constexpr std::string_view kAsciiGlyphs[] = {"|   ", "    ", "+---", "`---"};
constexpr size_t kGlyphWidth = 4;
constexpr size_t kSizeColumn = 13;
constexpr std::string_view kTimePattern = "dddd/dd/dd dd:dd";

bool IsPrefixGlyph(std::string_view text) {
  return text == kAsciiGlyphs[0] || text == kAsciiGlyphs[1];
}
bool IsBranchGlyph(std::string_view text) {
  return text == kAsciiGlyphs[2] || text == kAsciiGlyphs[3];
}

std::string Grouped(uint32_t value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

// A grouped number as the chart writes it ("4,294,967,295"); false for anything else.
bool ParseGrouped(std::string_view text, uint32_t& value) {
  uint64_t number = 0;
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  if (digits.empty() || digits.size() > 10) return false;
  for (char c : digits) number = number * 10 + static_cast<uint64_t>(c - '0');
  if (number > UINT32_MAX) return false;
  value = static_cast<uint32_t>(number);
  return Grouped(value) == text;
}

bool MatchesTimePattern(std::string_view text) {
  if (text.size() != kTimePattern.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kTimePattern[i] == 'd' ? !digit : text[i] != kTimePattern[i]) return false;
  }
  return true;
}

// The texts of a folder summary, made once.
struct SummaryTexts {
  std::string open = Cp932Text("（");
  std::string files = Cp932Text(" ファイル ");
  std::string bytes = Cp932Text(" バイト");
  std::string between = Cp932Text("、累計 ");
  std::string close = Cp932Text("）");
};

const SummaryTexts& Summary() {
  static const SummaryTexts texts;
  return texts;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Reads both pipes until the child closes them or the time is up. False on timeout.
bool Collect(int out_fd, int err_fd, int timeout_seconds, ShellRun& run) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open_count = 2;
  while (open_count > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    const int ready = poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  return true;
}

}  // namespace

std::string ProgramPath() {
  const char* program = std::getenv("QUOVREL_PROGRAM");
  return program ? program : "";
}

std::string ShellWord(std::string_view text) {
  std::string word = "'";
  for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

ShellRun RunShell(const std::string& script, const ShellSettings& settings) {
  ShellRun run;
  if (ProgramPath().empty()) {
    run.err = "QUOVREL_PROGRAM names no program to test";
    return run;
  }
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) env.emplace_back(*entry);
  env.insert(env.end(), settings.env.begin(), settings.env.end());
  env.push_back("Q=" + ProgramPath());
  std::vector<std::string> argv = {"sh", "-c", script};
  std::vector<char*> argv_pointers = Pointers(argv);
  std::vector<char*> env_pointers = Pointers(env);
  int out_pipe[2], err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0) return run;
  if (pipe2(err_pipe, O_CLOEXEC) != 0) {
    close(out_pipe[0]);
    close(out_pipe[1]);
    return run;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);  // its own group, so that a timeout ends everything it started
    const int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd >= 0) dup2(null_fd, 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    signal(SIGPIPE, SIG_DFL);
    if (!settings.working_directory.empty() && chdir(settings.working_directory.c_str()) != 0) {
      _exit(126);
    }
    execve("/bin/sh", argv_pointers.data(), env_pointers.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  const bool finished = pid > 0 && Collect(out_pipe[0], err_pipe[0], settings.timeout_seconds, run);
  close(out_pipe[0]);
  close(err_pipe[0]);
  if (pid < 0) return run;
  if (!finished) kill(-pid, SIGKILL);
  int wait_status = 0;
  while (waitpid(pid, &wait_status, 0) < 0 && errno == EINTR) {
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!finished) return run;
  if (WIFEXITED(wait_status)) run.status = WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) run.status = 128 + WTERMSIG(wait_status);
  return run;
}

std::string NobodyPrefix(std::string& why) {
  if (geteuid() != 0) {
    why = "needs root to drop to the user nobody";
    return "";
  }
  const std::string prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  const ShellRun probe = RunShell(prefix + " true");
  if (probe.status != 0) {
    why = "setpriv cannot drop to the user nobody here: " + probe.err;
    return "";
  }
  return prefix;
}

std::unique_ptr<TempTree> NewScratchTree() {
  constexpr unsigned long kTmpfsMagic = 0x01021994;
  constexpr unsigned long long kRoomNeeded = 256ull << 20;
  struct statfs kind {};
  struct statvfs room {};
  const bool use_memory = statfs("/dev/shm", &kind) == 0 && kind.f_type == kTmpfsMagic &&
                          statvfs("/dev/shm", &room) == 0 &&
                          room.f_bavail * room.f_frsize >= kRoomNeeded && room.f_favail >= 100000 &&
                          access("/dev/shm", W_OK) == 0;
  if (!use_memory) return std::make_unique<TempTree>();
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", "/dev/shm", 1);
  auto tree = std::make_unique<TempTree>();
  if (old) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  return tree;
}

std::string ScratchFile(const std::string& name) {
  const char* base = std::getenv("TMPDIR");
  return std::string(base && *base ? base : "/tmp") + "/quovrel-reliability-" +
         std::to_string(getpid()) + "-" + name;
}

std::string Cp932Text(std::string_view utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t in_left = utf8.size();
  char* next = out.data();
  size_t out_left = out.size();
  iconv(converter, &in, &in_left, &next, &out_left);
  iconv_close(converter);
  out.resize(out.size() - out_left);
  return out;
}

bool ChartReader::Fail(std::string reason) {
  if (problem_.empty()) problem_ = std::move(reason);
  return false;
}

bool ChartReader::AddLine(std::string_view line) {
  if (!problem_.empty()) return false;
  const std::string where = " (line " + std::to_string(entries_.size() + 1) + ")";
  for (char c : line) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return Fail("a control byte in a line" + where);
  }
  ChartEntry entry;
  size_t at = 0;
  if (!entries_.empty()) {
    size_t segments = 0;
    while (IsPrefixGlyph(line.substr(at, kGlyphWidth))) at += kGlyphWidth, ++segments;
    entry.is_folder = IsBranchGlyph(line.substr(at, kGlyphWidth));
    if (entry.is_folder) at += kGlyphWidth, ++segments;
    if (segments == 0) return Fail("a line without a connector" + where);
    entry.depth = segments;
    if (entry.depth > open_folders_.size()) return Fail("a line deeper than its folder" + where);
    entry.parent = open_folders_[entry.depth - 1];
  } else {
    entry.is_folder = true;
  }
  const std::string_view rest = line.substr(at);
  if (entry.is_folder ? !ParseFolderSummary(rest, entry) : !ParseFileDetails(rest, entry)) {
    return Fail("a malformed " + std::string(entry.is_folder ? "folder" : "file") + " line" +
                where + ": " + std::string(rest.substr(0, 200)));
  }
  if (entry.is_folder) {
    open_folders_.resize(entry.depth);
    open_folders_.push_back(static_cast<long>(entries_.size()));
  }
  deepest_ = std::max(deepest_, entry.depth);
  entries_.push_back(std::move(entry));
  return true;
}

// name（n ファイル b バイト、累計 N ファイル B バイト）
bool ChartReader::ParseFolderSummary(std::string_view text, ChartEntry& entry) {
  const SummaryTexts& s = Summary();
  const size_t open = text.rfind(s.open);
  if (open == std::string_view::npos || open == 0) return false;
  entry.name = std::string(text.substr(0, open));
  std::string_view summary = text.substr(open);
  std::vector<uint32_t> numbers;
  std::string digits;
  for (char c : summary) {
    if ((c >= '0' && c <= '9') || (c == ',' && !digits.empty())) {
      digits += c;
    } else if (!digits.empty()) {
      uint32_t value = 0;
      if (!ParseGrouped(digits, value)) return false;
      numbers.push_back(value);
      digits.clear();
    }
  }
  if (numbers.size() != 4) return false;
  entry.own_files = numbers[0];
  entry.own_bytes = numbers[1];
  entry.total_files = numbers[2];
  entry.total_bytes = numbers[3];
  const std::string expected = s.open + Grouped(numbers[0]) + s.files + Grouped(numbers[1]) +
                               s.bytes + s.between + Grouped(numbers[2]) + s.files +
                               Grouped(numbers[3]) + s.bytes + s.close;
  return summary == expected;
}

// name, fill blanks, one blank, 13-column size[, one blank, 16-byte time]
bool ChartReader::ParseFileDetails(std::string_view text, ChartEntry& entry) {
  if (with_time_) {
    if (text.size() < kTimePattern.size() + 1) return false;
    entry.time = std::string(text.substr(text.size() - kTimePattern.size()));
    if (!MatchesTimePattern(entry.time)) return false;
    text.remove_suffix(kTimePattern.size());
    if (text.back() != ' ') return false;
    text.remove_suffix(1);
  }
  if (text.size() < kSizeColumn + 2) return false;
  std::string_view column = text.substr(text.size() - kSizeColumn);
  const size_t first = column.find_first_not_of(' ');
  if (first == std::string_view::npos || !ParseGrouped(column.substr(first), entry.size)) {
    return false;
  }
  text.remove_suffix(kSizeColumn);
  if (text.back() != ' ') return false;
  text.remove_suffix(1);
  const size_t name_end = text.find_last_not_of(' ');
  if (name_end == std::string_view::npos) return false;
  entry.name = std::string(text.substr(0, name_end + 1));
  return true;
}

std::string ChartReader::CheckSums() const {
  std::vector<uint32_t> files(entries_.size()), bytes(entries_.size());
  std::vector<uint32_t> child_files(entries_.size()), child_bytes(entries_.size());
  for (const ChartEntry& entry : entries_) {
    if (entry.parent < 0) continue;
    const size_t parent = static_cast<size_t>(entry.parent);
    if (entry.is_folder) {
      child_files[parent] += entry.total_files;
      child_bytes[parent] += entry.total_bytes;
    } else {
      files[parent] += 1;
      bytes[parent] += entry.size;
    }
  }
  for (size_t i = 0; i < entries_.size(); ++i) {
    const ChartEntry& entry = entries_[i];
    if (!entry.is_folder) continue;
    const bool own_ok = entry.own_files == files[i] && entry.own_bytes == bytes[i];
    const bool total_ok =
        entry.total_files == entry.own_files + child_files[i] &&
        entry.total_bytes == static_cast<uint32_t>(entry.own_bytes + child_bytes[i]);
    if (!own_ok || !total_ok) {
      return "the sums of folder line " + std::to_string(i + 1) + " (" + entry.name +
             ") are not those of the entries below it";
    }
  }
  return "";
}

std::vector<std::string> EntryPaths(const ChartReader& chart) {
  std::vector<std::string> paths;
  for (const ChartEntry& entry : chart.Entries()) {
    if (entry.parent < 0) {
      paths.emplace_back();
      continue;
    }
    const std::string& parent = paths[static_cast<size_t>(entry.parent)];
    paths.push_back(parent.empty() ? entry.name : parent + "/" + entry.name);
  }
  return paths;
}

size_t ChildCount(const ChartReader& chart, size_t index) {
  size_t count = 0;
  for (const ChartEntry& entry : chart.Entries()) count += entry.parent == static_cast<long>(index);
  return count;
}

bool ReadChart(std::string_view bytes, ChartReader& reader) {
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos) return reader.Fail("output that does not end in CR LF");
    if (!reader.AddLine(bytes.substr(start, end - start))) return false;
    start = end + 2;
  }
  return true;
}

bool ReadChartFile(const std::string& path, ChartReader& reader, std::string& why) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    why = "cannot read " + path;
    return false;
  }
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line.back() != '\r') {
      why = "a line without CR LF";
      return false;
    }
    line.pop_back();
    if (!reader.AddLine(line)) {
      why = reader.Problem();
      return false;
    }
  }
  return true;
}

bool MakeChain(const std::string& root, const std::string& name, int depth, int file_every) {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int level = 0; fd >= 0; ++level) {
    if (level % file_every == 0 || level == depth) {
      const std::string file_name = "f" + std::to_string(level);
      const int file = openat(fd, file_name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
      const bool made = file >= 0 && ftruncate(file, level) == 0;
      if (file >= 0) close(file);
      if (!made) break;
    }
    if (level == depth) {
      close(fd);
      return true;
    }
    const int next = mkdirat(fd, name.c_str(), 0755) == 0
                         ? openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                         : -1;
    close(fd);
    fd = next;
  }
  if (fd >= 0) close(fd);
  return false;
}

bool FindSizes(const std::string& root, uint32_t& bytes, uint64_t& count, bool follow) {
  const ShellRun run = RunShell(std::string("find ") + (follow ? "-L " : "") + ShellWord(root) +
                                " -mindepth 1 \\( -type d -name '.*' -prune \\) -o"
                                " \\( ! -type d -printf '%s\\n' \\)");
  if (run.status != 0) return false;
  bytes = 0;
  count = 0;
  size_t start = 0;
  while (start < run.out.size()) {
    const size_t end = run.out.find('\n', start);
    bytes += static_cast<uint32_t>(std::strtoull(run.out.c_str() + start, nullptr, 10));
    ++count;
    start = end == std::string::npos ? run.out.size() : end + 1;
  }
  return true;
}
