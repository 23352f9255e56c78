// A detached tmux session of the test's own, driven with send-keys and read with capture-pane.
#include "terminal_tmux.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

#include "child_process.h"

extern char** environ;

namespace {

constexpr int kToolTimeoutSeconds = 10;
const char kSession[] = "quovrel";

// The test's environment for the server and the pane's shell: the locale is LANG=ja_JP.UTF-8
// alone (the Linux mode, in Japanese), and nothing of the user's shell set-up or of a tmux the
// test may itself run in is kept.
std::vector<std::string> SessionEnvironment() {
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view text = *entry;
    const std::string_view name = text.substr(0, text.find('='));
    if (name.substr(0, 3) == "LC_" || name == "LANG" || name == "LANGUAGE" || name == "TMUX" ||
        name == "PS1" || name == "ENV") {
      continue;
    }
    env.emplace_back(text);
  }
  env.emplace_back("LANG=ja_JP.UTF-8");
  env.emplace_back("PS1=$ ");
  return env;
}

// Runs a program found on PATH with `env`, without a shell; its standard output is returned.
std::string RunTool(const std::vector<std::string>& argv, std::vector<std::string> env) {
  return RunChild(argv, ChildSettings{std::move(env), "", kToolTimeoutSeconds}).out;
}

}  // namespace

bool HasTmux() {
  std::vector<std::string> env(SessionEnvironment());
  return RunTool({"tmux", "-V"}, env).rfind("tmux ", 0) == 0;
}

std::vector<std::string> TextLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TmuxSession::TmuxSession(int columns, int rows) : env_(SessionEnvironment()) {
  // A new server each time: one still going away must not take the next session's place.
  static int sessions = 0;
  socket_ = "quovrel-test-" + std::to_string(getpid()) + "-" + std::to_string(++sessions);
  // A history long enough for a whole chart, and no status line taking a row of the pane.
  char path[] = "/tmp/quovrel-tmux-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return;
  config_ = path;
  const std::string settings = "set -g history-limit 100000\nset -g status off\n";
  const bool written =
      write(fd, settings.data(), settings.size()) == static_cast<ssize_t>(settings.size());
  close(fd);
  if (!written) return;
  Tmux({"new-session", "-d", "-s", kSession, "-x", std::to_string(columns), "-y",
        std::to_string(rows), "/bin/sh"});
  const std::vector<std::string> facts = TextLines(Tmux(
      {"display-message", "-p", "-t", kSession, "#{pane_width}x#{pane_height}\n#{socket_path}"}));
  if (facts.size() != 2) return;
  socket_path_ = facts[1];
  ready_ = facts[0] == std::to_string(columns) + "x" + std::to_string(rows) && ShellIsReading();
}

// Keys typed before the shell reads would be echoed ahead of its prompt, and the first command's
// output would then start on the prompt's line: the first command waits for the prompt.
bool TmuxSession::ShellIsReading() {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(kToolTimeoutSeconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (Screen().find_first_not_of(" \n") != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TmuxSession::~TmuxSession() {
  Tmux({"kill-server"});
  // The server leaves its socket behind; it is this test's own, so it goes too.
  if (!socket_path_.empty()) unlink(socket_path_.c_str());
  if (!config_.empty()) unlink(config_.c_str());
}

std::string TmuxSession::Tmux(std::vector<std::string> arguments) {
  // -u: the pane is UTF-8 whatever the test's own terminal is; -L: a server of this test's own.
  std::vector<std::string> argv = {"tmux", "-u", "-L", socket_, "-f", config_};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunTool(argv, env_);
}

bool TmuxSession::Run(std::string_view command_line, int timeout_seconds,
                      const std::function<void(const std::string&)>& watch) {
  // The mark is quoted when typed, so only the line the command's end prints reads as it.
  const std::string mark = "==end " + std::to_string(++runs_) + "==";
  const std::string typed = std::string(command_line) + "; echo '" + mark + "'";
  Tmux({"send-keys", "-t", kSession, "-l", typed});
  Tmux({"send-keys", "-t", kSession, "Enter"});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string screen = Screen();
    if (watch) watch(screen);
    for (const std::string& line : TextLines(screen)) {
      if (line == mark) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void TmuxSession::SendKeys(const std::string& keys) { Tmux({"send-keys", "-t", kSession, keys}); }

std::string TmuxSession::Screen() { return Tmux({"capture-pane", "-p", "-t", kSession}); }

std::string TmuxSession::ColoredScreen() {
  return Tmux({"capture-pane", "-p", "-e", "-t", kSession});
}

std::string TmuxSession::History() {
  return Tmux({"capture-pane", "-p", "-S", "-", "-E", "-", "-t", kSession});
}

void TmuxSession::Clear() {
  Tmux({"send-keys", "-R", "-t", kSession});
  Tmux({"clear-history", "-t", kSession});
}
