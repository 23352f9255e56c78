// The fixture's expected charts as a table of distinct lines and lists of line numbers, through xz.
#include "chart_store.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// `text` in single quotes for the shell, each quote in it closed, escaped and reopened.
std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// What a failed run of xz through the shell says; `status` is pclose's (127 where the shell
// found no xz).
std::string CommandFailure(const char* what, int status) {
  if (status == -1) return std::string("cannot run ") + what;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return std::string(what) + " failed (status " + std::to_string(code) +
         "); the fixture needs the xz program (Debian: apt-get install xz-utils)";
}

// The numbers of one chart, consecutive runs as "a-b".
void AppendNumbers(const std::vector<uint32_t>& numbers, std::string& out) {
  for (size_t i = 0; i < numbers.size();) {
    size_t end = i;
    while (end + 1 < numbers.size() && numbers[end + 1] == numbers[end] + 1) ++end;
    if (i > 0) out += ' ';
    out += std::to_string(numbers[i]);
    if (end > i) out += '-' + std::to_string(numbers[end]);
    i = end + 1;
  }
}

// The next line of `text` from `at`, without its line feed; false at the end.
bool NextLine(std::string_view text, size_t& at, std::string_view& line) {
  if (at >= text.size()) return false;
  const size_t end = std::min(text.find('\n', at), text.size());
  line = text.substr(at, end - at);
  at = end + 1;
  return true;
}

// Reads "NAME COUNT" into `count`.
bool ReadCount(std::string_view line, std::string_view name, size_t& count) {
  if (line.substr(0, name.size() + 1) != std::string(name) + " ") return false;
  count = std::strtoul(std::string(line.substr(name.size() + 1)).c_str(), nullptr, 10);
  return true;
}

// Reads a chart's numbers, each below `limit`; false on anything else.
bool ReadNumbers(std::string_view line, size_t limit, std::vector<uint32_t>& numbers) {
  const std::string text(line);
  const char* at = text.c_str();
  while (*at) {
    char* end;
    const unsigned long first = std::strtoul(at, &end, 10);
    unsigned long last = first;
    if (end == at) return false;
    if (*end == '-') {
      at = end + 1;
      last = std::strtoul(at, &end, 10);
      if (end == at || last < first) return false;
    }
    if (last >= limit || (*end != ' ' && *end != '\0')) return false;
    for (unsigned long n = first; n <= last; ++n) numbers.push_back(static_cast<uint32_t>(n));
    at = *end == ' ' ? end + 1 : end;
  }
  return true;
}

}  // namespace

uint32_t ChartStore::NumberOf(std::string_view line) {
  const auto [found, added] =
      line_numbers_.emplace(std::string(line), static_cast<uint32_t>(lines_.size()));
  if (added) lines_.emplace_back(line);
  return found->second;
}

bool ChartStore::Add(const std::string& key, std::string_view chart) {
  std::vector<uint32_t> numbers;
  for (size_t at = 0;;) {
    const size_t end = std::min(chart.find(kLineEnd, at), chart.size());
    const std::string_view line = chart.substr(at, end - at);
    if (line.find('\n') != std::string_view::npos) return false;
    numbers.push_back(NumberOf(line));
    if (end == chart.size()) break;
    at = end + kLineEnd.size();
  }
  const auto [found, added] =
      chart_numbers_.emplace(numbers, static_cast<uint32_t>(charts_.size()));
  if (added) charts_.push_back(std::move(numbers));
  keys_[key] = found->second;
  return true;
}

bool ChartStore::Find(const std::string& key, std::string& chart) const {
  const auto found = keys_.find(key);
  if (found == keys_.end()) return false;
  chart.clear();
  const std::vector<uint32_t>& numbers = charts_[found->second];
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) chart += kLineEnd;
    chart += lines_[numbers[i]];
  }
  return true;
}

bool ChartStore::Write(const std::string& path, std::string_view comment,
                       std::string& error) const {
  // The lines sorted, so that like lines stand together and compress well.
  std::vector<uint32_t> order(lines_.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [this](uint32_t a, uint32_t b) { return lines_[a] < lines_[b]; });
  std::vector<uint32_t> renumbered(lines_.size());
  for (size_t i = 0; i < order.size(); ++i) renumbered[order[i]] = static_cast<uint32_t>(i);
  std::string text(comment);
  text += "# The format is told in tests/e2e/chart_store.h.\n";
  text += "lines " + std::to_string(lines_.size()) + "\n";
  for (uint32_t number : order) text.append(lines_[number]).append("\n");
  text += "charts " + std::to_string(charts_.size()) + "\n";
  for (const std::vector<uint32_t>& chart : charts_) {
    std::vector<uint32_t> numbers;
    for (uint32_t number : chart) numbers.push_back(renumbered[number]);
    AppendNumbers(numbers, text);
    text += '\n';
  }
  text += "combinations " + std::to_string(keys_.size()) + "\n";
  for (const auto& [key, chart] : keys_) text += std::to_string(chart) + " " + key + "\n";
  // One thread, so that the same text always gives the same bytes.
  const std::string partial = path + ".partial";
  FILE* pipe = popen(("xz -9e --threads=1 -c > " + ShellQuoted(partial)).c_str(), "w");
  if (!pipe) {
    error = "cannot run xz";
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), pipe) == text.size();
  const int status = pclose(pipe);
  if (!written || status != 0) {
    std::remove(partial.c_str());
    error = CommandFailure("xz", status);
    return false;
  }
  if (std::rename(partial.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path;
    return false;
  }
  return true;
}

bool ChartStore::Read(const std::string& path, std::string& error) {
  FILE* pipe = popen(("xz -dc -- " + ShellQuoted(path) + " 2>&1").c_str(), "r");
  if (!pipe) {
    error = "cannot run xz";
    return false;
  }
  std::string text;
  char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  const int status = pclose(pipe);
  if (status != 0) {
    error = CommandFailure("xz -d", status) + ": " + text;
    return false;
  }
  if (!Parse(text, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool ChartStore::Parse(std::string_view text, std::string& error) {
  *this = ChartStore();
  size_t at = 0;
  std::string_view line;
  bool more = NextLine(text, at, line);
  while (more && !line.empty() && line[0] == '#') more = NextLine(text, at, line);
  size_t count = 0;
  if (!more || !ReadCount(line, "lines", count)) {
    error = "no \"lines\" count";
    return false;
  }
  for (size_t i = 0; i < count; ++i) {
    if (!NextLine(text, at, line)) {
      error = "the lines end early";
      return false;
    }
    lines_.emplace_back(line);
  }
  if (!NextLine(text, at, line) || !ReadCount(line, "charts", count)) {
    error = "no \"charts\" count";
    return false;
  }
  charts_.resize(count);
  for (std::vector<uint32_t>& chart : charts_) {
    if (!NextLine(text, at, line) || !ReadNumbers(line, lines_.size(), chart)) {
      error = "not a list of line numbers: " + std::string(line.substr(0, 80));
      return false;
    }
  }
  if (!NextLine(text, at, line) || !ReadCount(line, "combinations", count)) {
    error = "no \"combinations\" count";
    return false;
  }
  for (size_t i = 0; i < count; ++i) {
    const size_t space = NextLine(text, at, line) ? line.find(' ') : std::string_view::npos;
    const size_t chart =
        space == std::string_view::npos
            ? charts_.size()
            : std::strtoul(std::string(line.substr(0, space)).c_str(), nullptr, 10);
    if (chart >= charts_.size()) {
      error = "not a chart number and a key: " + std::string(line);
      return false;
    }
    keys_[std::string(line.substr(space + 1))] = static_cast<uint32_t>(chart);
  }
  return true;
}
