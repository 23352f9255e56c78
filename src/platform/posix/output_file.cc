// A file written in parts through a buffer (an export), or standard output for "-".
#include "platform/posix/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/posix/fd_write.h"

namespace {

// Large writes are few writes: an export of a million entries is some hundred megabytes.
constexpr size_t kBufferBytes = 1 << 16;

class PosixOutputFile : public OutputFile {
 public:
  PosixOutputFile(int fd, bool is_owned) : fd_(fd), is_owned_(is_owned) {
    buffer_.reserve(kBufferBytes);
  }
  ~PosixOutputFile() override {
    if (is_owned_ && fd_ >= 0) close(fd_);
  }

  void Write(std::string_view bytes) override {
    if (buffer_.size() + bytes.size() > kBufferBytes) Flush();
    if (bytes.size() >= kBufferBytes) {
      Send(bytes);
    } else {
      buffer_.append(bytes);
    }
  }

  int Finish() override {
    Flush();
    if (is_owned_ && fd_ >= 0 && close(fd_) != 0 && error_ == 0) error_ = errno;
    fd_ = -1;
    return error_ == 0 ? 0 : -1;
  }

  std::string FailureText() const override { return error_ ? std::strerror(error_) : ""; }

 private:
  void Flush() {
    Send(buffer_);
    buffer_.clear();
  }
  void Send(std::string_view bytes) {
    if (error_ != 0 || bytes.empty()) return;
    errno = 0;
    if (WriteAllBytes(fd_, bytes) != bytes.size()) error_ = errno != 0 ? errno : EIO;
  }

  int fd_;
  const bool is_owned_;
  int error_ = 0;
  std::string buffer_;
};

}  // namespace

std::unique_ptr<OutputFile> OpenPosixOutputFile(const std::string& native, int& error) {
  if (native == "-") return std::make_unique<PosixOutputFile>(STDOUT_FILENO, false);
  const int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  return std::make_unique<PosixOutputFile>(fd, true);
}
