// A real terminal for the tests: a detached tmux session on a server of the test's own.
//
// The server gets its own socket name, a fixed pane size, a plain shell and LANG=ja_JP.UTF-8, so
// the program sees a UTF-8 terminal on both standard output and standard error. Commands are typed
// with send-keys and the screen is read back with capture-pane, as a user would see it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// True when a tmux program can be started.
bool HasTmux();

class TmuxSession {
 public:
  TmuxSession(int columns, int rows);
  ~TmuxSession();  // ends this session's server, and only it
  TmuxSession(const TmuxSession&) = delete;
  TmuxSession& operator=(const TmuxSession&) = delete;

  // False when the server or its session could not be started.
  bool IsReady() const { return ready_; }

  // Types `command_line` into the pane's shell and waits until it has run (at most
  // `timeout_seconds`). `watch`, when given, sees the visible screen about twenty times a second
  // while the command runs. False on timeout.
  bool Run(std::string_view command_line, int timeout_seconds,
           const std::function<void(const std::string&)>& watch = nullptr);

  // Presses `keys`, named as tmux names them ("C-c"), at once; for a `watch` to use.
  void SendKeys(const std::string& keys);

  // The visible screen, one line of text per row, trailing blanks dropped.
  std::string Screen();
  // The visible screen with the colours of its text, as tmux writes them ("\x1b[34m").
  std::string ColoredScreen();
  // Every line the pane has shown, scrolled-off ones included.
  std::string History();
  // Empties the screen and the history, so the next command's output stands alone.
  void Clear();

 private:
  std::string Tmux(std::vector<std::string> arguments);
  bool ShellIsReading();

  std::string socket_;
  std::string socket_path_;  // known once the server is up
  std::vector<std::string> env_;
  std::string config_;
  bool ready_ = false;
  int runs_ = 0;
};

// The lines of `text`, split at "\n".
std::vector<std::string> TextLines(std::string_view text);
