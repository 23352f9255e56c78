// A file written in parts (an export), or standard output for "-": the system's calls under the
// shared buffering.
#include "platform/win32/output_file.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

#include "platform/buffered_output_file.h"
#include "platform/win32/text.h"

namespace {

// The system's words for `error`, without the line end it adds.
std::string ErrorText(DWORD error) {
  char buffer[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, buffer, sizeof buffer, nullptr);
  while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r')) --length;
  return std::string(buffer, length);
}

class Win32OutputFile : public BufferedOutputFile {
 public:
  Win32OutputFile(HANDLE handle, bool is_owned) : handle_(handle), is_owned_(is_owned) {}
  ~Win32OutputFile() override {
    if (is_owned_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

  std::string FailureText() const override { return error_ ? ErrorText(error_) : ""; }

 private:
  void WriteBytes(std::string_view bytes) override {
    while (error_ == 0 && !bytes.empty()) {
      DWORD written = 0;
      const DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
      if (!WriteFile(handle_, bytes.data(), part, &written, nullptr) || written == 0) {
        error_ = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
        return;
      }
      bytes.remove_prefix(written);
    }
  }
  void CloseFile() override {
    if (is_owned_ && handle_ != INVALID_HANDLE_VALUE && !CloseHandle(handle_) && error_ == 0) {
      error_ = GetLastError();
    }
    handle_ = INVALID_HANDLE_VALUE;
  }
  bool HasFailed() const override { return error_ != 0; }

  HANDLE handle_;
  const bool is_owned_;
  DWORD error_ = 0;
};

}  // namespace

std::unique_ptr<OutputFile> OpenWin32OutputFile(const std::string& native, std::string& failure) {
  const std::wstring wide = WideFromNative(native);
  if (wide == L"-") {
    return std::make_unique<Win32OutputFile>(GetStdHandle(STD_OUTPUT_HANDLE), false);
  }
  const std::wstring path = LongPath(wide);
  const HANDLE handle = path.empty()
                            ? INVALID_HANDLE_VALUE
                            : CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    failure = ErrorText(GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32OutputFile>(handle, true);
}
