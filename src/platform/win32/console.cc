// Lines to standard output and error, and the progress line's screen on a console.
#include "platform/win32/console.h"

#include <atomic>
#include <string>

#include "platform/win32/text.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace {

// The console whose progress line is shown now, or null, and its mode as found: all that the
// Ctrl+C handler may read, as it runs on a thread of its own while the walk goes on.
std::atomic<HANDLE> shown_console_for_signals{nullptr};
DWORD found_mode_for_signals = 0;  // written once, before the handler is set

// Writes `bytes` with the terminal's control sequences taken, then puts the mode back.
void WriteWithControls(HANDLE console, DWORD found_mode, std::string_view bytes, bool is_utf8) {
  SetConsoleMode(console, found_mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  WriteShownLine(console, bytes, is_utf8);
  SetConsoleMode(console, found_mode);
}

// Erases a shown line, then lets the system's own handler end the run as it would have.
BOOL WINAPI EraseOnControl(DWORD) {
  const HANDLE console = shown_console_for_signals.exchange(nullptr);
  if (console != nullptr) {
    // The erase sequence is ASCII, which both encodings write alike.
    WriteWithControls(console, found_mode_for_signals, ProgressScreen::kEraseLine, false);
  }
  return FALSE;
}

}  // namespace

void WriteShownLine(HANDLE handle, std::string_view line, bool is_utf8) {
  DWORD written = 0;
  DWORD mode = 0;
  if (is_utf8 && GetConsoleMode(handle, &mode)) {
    const std::wstring wide = WideFromUtf8(line);
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

size_t ConsoleScreen::Columns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(console_, &info)) return 0;
  const int width = info.srWindow.Right - info.srWindow.Left + 1;
  return width > 0 ? static_cast<size_t>(width) : 0;
}

void ConsoleScreen::Draw(std::string_view line) {
  is_shown_ = true;
  shown_console_for_signals = console_;
  WriteWithControls(console_, found_mode_, line, is_utf8_);
}

void ConsoleScreen::Erase() {
  if (!is_shown_) return;
  is_shown_ = false;
  if (shown_console_for_signals.exchange(nullptr) == nullptr) return;  // Ctrl+C erased it
  WriteWithControls(console_, found_mode_, kEraseLine, is_utf8_);
}

namespace {
DWORD found_output_mode = 0;
bool is_output_mode_changed = false;
}  // namespace

bool EnableOutputColors() {
  const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) return false;
  if (is_output_mode_changed) return true;
  if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
  found_output_mode = mode;
  is_output_mode_changed = true;
  return true;
}

void RestoreOutputMode() {
  if (!is_output_mode_changed) return;
  SetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), found_output_mode);
  is_output_mode_changed = false;
}

std::unique_ptr<ConsoleScreen> OpenConsoleScreen() {
  const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) return nullptr;
  // An older console shows the control sequences as text instead: no line there.
  if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return nullptr;
  SetConsoleMode(console, mode);
  found_mode_for_signals = mode;
  SetConsoleCtrlHandler(EraseOnControl, TRUE);
  return std::make_unique<ConsoleScreen>(console, mode);
}
