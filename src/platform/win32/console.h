// Standard output and error of the Win32 platform: whole lines as a console or a file takes them,
// and standard error as the progress line's screen where it is a console.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/platform.h"

// Writes one whole line to `handle` with one call: a UTF-8 line (`is_utf8`) to a console as
// UTF-16 (WriteConsoleW), whatever its code page; to a file or a pipe, and in code page 932
// anywhere, as its bytes. A failed write (a closed pipe) is ignored.
void WriteShownLine(HANDLE handle, std::string_view line, bool is_utf8);

// A console as the progress line's screen. The console takes the terminal's control sequences
// only while the screen writes: every other line meets the console in the mode it was found in.
class ConsoleScreen : public ProgressScreen {
 public:
  ConsoleScreen(HANDLE console, DWORD found_mode) : console_(console), found_mode_(found_mode) {}
  ~ConsoleScreen() override { Erase(); }

  // The encoding of the lines drawn from now on, as the platform's texts (SetUtf8Texts).
  void SetUtf8(bool is_utf8) { is_utf8_ = is_utf8; }

  int64_t NowMilliseconds() override { return static_cast<int64_t>(GetTickCount64()); }
  bool IsForeground() override { return true; }  // a console runs no job in the background
  size_t Columns() override;
  void Draw(std::string_view line) override;
  void Erase() override;

 private:
  const HANDLE console_;
  const DWORD found_mode_;
  bool is_shown_ = false;
  bool is_utf8_ = false;
};

// Turns on the terminal's control sequences for standard output where it is a console that
// takes them (Windows 10 on), for the rest of the run: the colours of the chart's names. False
// where it is no console or an older one.
bool EnableOutputColors();
// Puts standard output's console back in the mode EnableOutputColors found it in.
void RestoreOutputMode();

// The screen of standard error where it is a console that can take the terminal's control
// sequences (Windows 10 on); null elsewhere. Ctrl+C and Ctrl+Break erase a shown line first.
std::unique_ptr<ConsoleScreen> OpenConsoleScreen();
